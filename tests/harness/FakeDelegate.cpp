#include "tests/harness/FakeDelegate.h"

#include "capture/ScreenCapture.h"
#include "editor/PaintWindowController.h"

namespace vtest {

void FakeDelegate::closeOverlays()
{
    ++overlayCloses;
    if (capture)
        capture->closeOverlays();
}

void FakeDelegate::clearSelections()
{
    ++selectionClears;
    if (capture)
        capture->clearSelections();
}

void FakeDelegate::setEditorActive(QWidget *editor, bool active)
{
    activeEditors.removeAll(QPointer<QWidget>());
    if (active)
        activeEditors.append(editor);
    else
        activeEditors.removeAll(editor);
}

QWidget *FakeDelegate::openEditor(const QString &path, QScreen *display)
{
    ++editorsOpened;
    return PaintWindowController::openOn(path, display, this);
}

} // namespace vtest
