#include "tests/harness/FakeAppRequests.h"

#include "capture/ScreenCapture.h"
#include "editor/EditorWindow.h"

namespace vtest {

void FakeAppRequests::closeOverlays()
{
    ++overlayCloses;
    if (capture)
        capture->closeOverlays();
}

void FakeAppRequests::clearSelections()
{
    ++selectionClears;
    if (capture)
        capture->clearSelections();
}

void FakeAppRequests::setEditorActive(QWidget *editor, bool active)
{
    activeEditors.removeAll(QPointer<QWidget>());
    if (active)
        activeEditors.append(editor);
    else
        activeEditors.removeAll(editor);
}

QWidget *FakeAppRequests::openEditor(const QString &path, QScreen *display)
{
    ++editorsOpened;
    return EditorWindow::openOn(path, display, this);
}

} // namespace vtest
