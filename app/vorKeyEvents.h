#pragma once

#include <QObject>

class ScreenCapture;

// The global hot keys: Ctrl+Shift+9 and Ctrl+F9 start a capture on key release.
class vorKeyEvents : public QObject
{
    Q_OBJECT
public:
    explicit vorKeyEvents(QObject *parent = nullptr);

    // Registers both hot keys; a press-and-release asks sc->delegate for a capture.
    void registerHotKeys(ScreenCapture *sc);
};
