#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

// Where the user types the text of the next text figure. The canvas reads
// `textview` when it is pressed with the text tool, and asks `pointerInEditor` so
// that a press inside the text view is not taken as a press on the canvas.
class TextEntryView : public QWidget
{
    Q_OBJECT
public:
    explicit TextEntryView(QWidget *parent = nullptr);

    QPointer<QPlainTextEdit> textview;
    // The pointer has entered the text view and not left it since.
    bool pointerInEditor = false;

    // The whole text typed so far; empty without a text view.
    QString text() const;

    void mouseEntered();
    void mouseExited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};
