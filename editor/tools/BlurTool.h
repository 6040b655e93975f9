#pragma once

#include "editor/tools/ObscuringTool.h"

// Blurs what lies under the dragged rectangle.
class BlurTool : public ObscuringTool
{
public:
    QString typeName() const override { return QStringLiteral("blur"); }

protected:
    ObscuredPatch::Kind patchKind() const override { return ObscuredPatch::Kind::blur; }
    void drawIcon(QPainter &painter) const override;
};
