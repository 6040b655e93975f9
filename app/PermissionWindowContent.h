#pragma once

#include "app/AppServices.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// Builds the content of the permission window into the view it is given and
// answers its three buttons.
class PermissionWindowContent : public QObject
{
    Q_OBJECT
public:
    // `startProgram` starts the desktop's privacy settings; `opener` opens the help page.
    PermissionWindowContent(AppServices::ProgramStarter startProgram, std::shared_ptr<Opener> opener,
                            QObject *parent = nullptr);

    QWidget *view() const { return m_view; }
    // The application hands over a fresh view for every permission window.
    void setView(QWidget *view) { m_view = view; }

    // Builds the labels and buttons into the view.
    void buildContent();

public slots:
    // Opens the desktop's privacy settings (or, where the desktop has none, the help
    // page) and hides the window of the button pressed.
    void preferencesButtonPressed(QObject *sender);
    void cancelButtonPressed(QObject *sender);
    // Opens the help page; the window stays.
    void helpButtonPressed(QObject *sender);

private:
    QLabel *addLabel(const QString &text, const QRect &frame, int pointSize);
    QPushButton *addButton(const QString &title, const QRect &frame);
    // Turns a frame given from the view's lower left (y up) into a widget frame.
    QRect fromBottomLeft(const QRect &frame) const;

    QPointer<QWidget> m_view;
    AppServices::ProgramStarter m_startProgram;
    std::shared_ptr<Opener> m_opener;
};
