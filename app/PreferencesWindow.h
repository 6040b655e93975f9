#pragma once

#include "helpers/DesktopServices.h"

#include <QKeySequence>
#include <QPointer>
#include <QWidget>
#include <functional>

class QCheckBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QPushButton;
struct ShareReply;

// What the Preferences window asks of the application, which owns the login entry and
// the hot keys.
struct PreferencesHooks {
    // Adds or removes the autostart entry; false when it could not (and has said why).
    std::function<bool(bool runAtLogin)> setRunAtLogin;
    // Binds the capture keys the settings now hold; the names of those that could not
    // be bound.
    std::function<QStringList()> rebindHotKeys;
    // The names of the capture keys the last binding left unbound.
    std::function<QStringList()> unboundHotKeys;
};

// The Preferences window: the sharing service's address and certificate (with a Test
// that asks the typed address for a salt), the overlay's save folder, start at login,
// the two capture hot keys and whether a saved file is opened. Every change takes
// effect as it is made, in the same settings the rest of Vornik reads; the window
// deletes itself when closed.
class PreferencesWindow : public QWidget
{
    Q_OBJECT
public:
    PreferencesWindow(PreferencesHooks hooks, DesktopServices desktop, QWidget *parent = nullptr);
    ~PreferencesWindow() override;

    QPointer<QLineEdit> serviceEdit;
    QPointer<QLineEdit> certificateEdit;
    QPointer<QPushButton> testButton;
    QPointer<QLabel> serviceResult;     // what the last check or test of the service found
    QPointer<QLineEdit> saveFolderEdit;
    QPointer<QCheckBox> runAtLoginBox;
    QPointer<QKeySequenceEdit> hotKeyEdits[2];
    QPointer<QLabel> hotKeyResult;      // a key that could not be bound, or nothing
    QPointer<QCheckBox> openSavedBox;

    // What a test of the service found, in a user's words.
    static QString describeSaltReply(const QString &address, const ShareReply &reply);

signals:
    // The service test has answered and serviceResult says how.
    void serviceTested();

private:
    QWidget *buildServiceRows();
    QWidget *buildCaptureRows();
    QWidget *withChooser(QLineEdit *edit, void (PreferencesWindow::*choose)());
    void loadSettings();
    void storeService();
    void testService();
    void chooseCertificate();
    void chooseSaveFolder();
    void storeSaveFolder();
    void changeRunAtLogin(bool on);
    void hotKeyChosen(int which, const QKeySequence &chosen);

    PreferencesHooks m_hooks;
    DesktopServices m_desktop;
};
