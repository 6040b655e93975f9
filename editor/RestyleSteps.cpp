#include "editor/RestyleSteps.h"

#include "editor/scene/Group.h"

#include <QObject>
#include <utility>

using namespace scene;

RecolorStep::RecolorStep(const std::shared_ptr<Node> &figure, Part part, const Color &color)
{
    setText(QObject::tr("Recolor"));
    collect(figure, part, color);
    for (const Paint &paint : std::as_const(m_paints))
        apply(paint, true);
}

void RecolorStep::collect(const std::shared_ptr<Node> &node, Part part, const Color &color)
{
    if (const auto group = std::dynamic_pointer_cast<Group>(node)) {
        for (const std::shared_ptr<Node> &member : group->contents())
            collect(member, part, color);
    } else if (const auto shape = std::dynamic_pointer_cast<Shape>(node)) {
        Paint paint{shape, shape->fill(), shape->fill(), shape->stroke(), shape->stroke()};
        // An outline-only shape has no inside to fill; a stroke-less one no outline.
        if (part == Part::fill && !shape->fill().isClear())
            paint.fillAfter = color;
        else if (part == Part::line && paint.strokeAfter)
            paint.strokeAfter->fill = color;
        else
            return;
        m_paints.append(paint);
    } else if (const auto text = std::dynamic_pointer_cast<Text>(node); text && part == Part::line) {
        m_paints.append(Paint{text, text->fill(), color, std::nullopt, std::nullopt});
    }
}

void RecolorStep::apply(const Paint &paint, bool after)
{
    if (const auto shape = std::dynamic_pointer_cast<Shape>(paint.node))
        shape->setPaint(after ? paint.fillAfter : paint.fillBefore, after ? paint.strokeAfter : paint.strokeBefore);
    else if (const auto text = std::dynamic_pointer_cast<Text>(paint.node))
        text->setFill(after ? paint.fillAfter : paint.fillBefore);
}

void RecolorStep::undo()
{
    for (const Paint &paint : std::as_const(m_paints))
        apply(paint, false);
}

void RecolorStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    for (const Paint &paint : std::as_const(m_paints))
        apply(paint, true);
}

RetextStep::RetextStep(std::shared_ptr<Text> text, QString before, QString after,
                       std::function<void(const QString &)> apply)
    : m_text(std::move(text))
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_apply(std::move(apply))
{
    setText(QObject::tr("Edit text"));
}

void RetextStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    m_apply(m_after);
}
