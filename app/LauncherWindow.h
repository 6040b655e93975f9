#pragma once

#include <QList>
#include <QWidget>

class QAction;

// A small window with the status menu's own entries, one button each, for desktops
// where the tray is missing or hard to reach: a second start of Vornik opens it, and
// the first start without a tray opens it once with a word on how to get a tray. A
// button shares its entry's action, so a title that changes (the login entry) changes
// in both places. The window hides before its entry runs, so a capture does not show it.
class LauncherWindow : public QWidget
{
    Q_OBJECT
public:
    // `entries` in the order shown; they stay the owner's.
    explicit LauncherWindow(const QList<QAction *> &entries, QWidget *parent = nullptr);

    // Shows the line that explains why the window opened by itself (no tray).
    void setTrayMissingNoteVisible(bool visible);
    // Shown, raised and given the keyboard.
    void present();

private:
    QWidget *m_note = nullptr;
};
