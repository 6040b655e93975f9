#pragma once

#include <QObject>

class AppDelegate;

// Captures every display and shows the first three in full-screen overlays.
class ScreenCapture : public QObject
{
    Q_OBJECT
public:
    explicit ScreenCapture(QObject *parent = nullptr);

    // Handed on to each overlay; set by the application at start-up.
    AppDelegate *delegate = nullptr;

    void captureAllScreens();
    void closeOverlays();
    void clearSelections();
};
