#pragma once

#include "editor/scene/Color.h"
#include "editor/scene/Node.h"
#include "editor/scene/Shape.h"
#include "editor/scene/Text.h"

#include <QList>
#include <QString>
#include <QUndoCommand>
#include <functional>
#include <memory>
#include <optional>

// Changes to a figure's looks or words, as undo steps. Like the other steps, each is
// made on the canvas when it is built and pushed: the first redo does nothing.

// A figure given a new color: the outlines and texts take the line color, the inside
// of filled shapes the fill color.
class RecolorStep : public QUndoCommand
{
public:
    enum class Part { line, fill };

    // Recolors `figure` (a shape, a text or a group of them) and keeps what it was;
    // changed() is false when nothing in it takes that part's color.
    RecolorStep(const std::shared_ptr<scene::Node> &figure, Part part, const scene::Color &color);
    bool changed() const { return !m_paints.isEmpty(); }

    void undo() override;
    void redo() override;

private:
    struct Paint {
        std::shared_ptr<scene::Node> node;
        scene::Color fillBefore, fillAfter;
        std::optional<scene::Stroke> strokeBefore, strokeAfter;
    };
    void collect(const std::shared_ptr<scene::Node> &node, Part part, const scene::Color &color);
    static void apply(const Paint &paint, bool after);

    QList<Paint> m_paints;
    bool m_done = true;
};

// A text figure's words changed; `apply` sets the words on the text and its record.
class RetextStep : public QUndoCommand
{
public:
    RetextStep(std::shared_ptr<scene::Text> text, QString before, QString after, std::function<void(const QString &)> apply);
    void undo() override { m_apply(m_before); }
    void redo() override;

private:
    std::shared_ptr<scene::Text> m_text;
    QString m_before;
    QString m_after;
    std::function<void(const QString &)> m_apply;
    bool m_done = true;
};
