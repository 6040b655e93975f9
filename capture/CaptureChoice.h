#pragma once

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QScreen>

// What the user chose in the capture overlays: a region of one display's frozen
// picture and what to do with it.
struct CaptureChoice {
    enum class Action { Edit, Save, Upload, Copy, Pin, CopyText };

    Action action = Action::Edit;
    // The region at the display's device pixel ratio (so it may hold more pixels than
    // points), with that ratio set; null when it could not be rendered.
    QImage picture;
    QPointer<QScreen> screen;   // the display the region lies on
    QRectF region;              // in that display's overlay, Qt's points
};

Q_DECLARE_METATYPE(CaptureChoice)
