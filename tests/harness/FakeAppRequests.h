#pragma once

#include "helpers/AppRequests.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class ScreenCapture;

namespace vtest {

// Stands in for the application where overlays, the editor and the output actions
// need one: it counts what they ask for and opens real editor windows.
class FakeAppRequests : public AppRequests
{
    Q_OBJECT
public:
    using AppRequests::AppRequests;

    int captureRequests = 0;
    int overlayCloses = 0;
    int selectionClears = 0;
    QList<QPointer<QWidget>> activeEditors;   // editors that said they opened and not yet closed
    int editorsOpened = 0;
    // When set, overlay requests reach this capture service as they would the
    // application's.
    ScreenCapture *capture = nullptr;

    void requestCapture() override { ++captureRequests; }
    void closeOverlays() override;
    void clearSelections() override;
    void setEditorActive(QWidget *editor, bool active) override;
    QWidget *openEditor(const QString &path, QScreen *display) override;
};

} // namespace vtest
