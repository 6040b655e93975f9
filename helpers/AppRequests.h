#pragma once

#include <QObject>
#include <QString>

class QScreen;
class QWidget;

// What the capture overlays, the editor and the output actions ask of the
// application. The application delegate implements it and hands itself to whatever
// it creates; tests hand in a fake. A QObject, so holders can keep a QPointer.
class AppRequests : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AppRequests() override = default;

    // Starts a capture of every display (the permission check included).
    virtual void requestCapture() = 0;
    // Takes every overlay down.
    virtual void closeOverlays() = 0;
    // Empties the selection of every overlay.
    virtual void clearSelections() = 0;
    // An editor window has opened (true) or is closing (false).
    virtual void setEditorActive(QWidget *editor, bool active) = 0;
    // Opens the annotation editor on the PNG at `path`, over `display` (the display
    // the region came from). Returns the editor's window, which deletes itself when
    // closed, or nullptr when none could be opened.
    virtual QWidget *openEditor(const QString &path, QScreen *display) = 0;
};
