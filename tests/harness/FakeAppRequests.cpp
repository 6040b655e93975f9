#include "tests/harness/FakeAppRequests.h"

namespace vtest {

void FakeAppRequests::setEditorActive(QWidget *editor, bool active)
{
    activeEditors.removeAll(QPointer<QWidget>());
    if (active)
        activeEditors.append(editor);
    else
        activeEditors.removeAll(editor);
}

} // namespace vtest
