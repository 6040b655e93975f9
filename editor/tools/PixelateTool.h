#pragma once

#include "editor/tools/ObscuringTool.h"

// Hides what lies under the dragged rectangle behind large blocks.
class PixelateTool : public ObscuringTool
{
public:
    QString typeName() const override { return QStringLiteral("pixelate"); }

protected:
    ObscuredPatch::Kind patchKind() const override { return ObscuredPatch::Kind::pixelate; }
    void drawIcon(QPainter &painter) const override;
};
