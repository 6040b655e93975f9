#pragma once

#include "helpers/AppRequests.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace vtest {

// Stands in for the application where the editor needs one: it counts what it is
// asked for.
class FakeAppRequests : public AppRequests
{
    Q_OBJECT
public:
    using AppRequests::AppRequests;

    int captureRequests = 0;
    QList<QPointer<QWidget>> activeEditors;   // editors that said they opened and not yet closed

    void requestCapture() override { ++captureRequests; }
    void setEditorActive(QWidget *editor, bool active) override;
};

} // namespace vtest
