#include "editor/tools/ObscuringTool.h"

std::shared_ptr<scene::Group> ObscuringTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    auto patch = std::make_shared<ObscuredPatch>(patchKind(), with.picture, QRectF(at, at));
    return scene::group({patch});
}

void ObscuringTool::dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const
{
    if (figure.contents().isEmpty())
        return;
    if (auto *patch = dynamic_cast<ObscuredPatch *>(figure.contents().constFirst().get()))
        patch->setRect(QRectF(from, to));
}
