#pragma once

#include <QObject>

class QWidget;

// What the editor and the lower layers ask of the application. The application
// implements it and hands itself to whatever it creates; tests hand in a fake. A
// QObject, so holders can keep a QPointer.
class AppRequests : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AppRequests() override = default;

    // Starts a capture of every display (the permission check included).
    virtual void requestCapture() = 0;
    // An editor window has opened (true) or is closing (false).
    virtual void setEditorActive(QWidget *editor, bool active) = 0;
};
