#pragma once

#include "editor/scene/Text.h"

#include <QUndoCommand>
#include <functional>
#include <memory>

// A change to the editor's canvas, as an undo step. The step was already made on the
// canvas when it is pushed: the first redo does nothing.
//
// A text figure's size stepped from one size to another. Consecutive steps on the
// same text make one undo step. `apply` sets a size on the text and its record.
class TextSizeStep : public QUndoCommand
{
public:
    TextSizeStep(std::shared_ptr<scene::Text> text, int from, int to, std::function<void(int)> apply);
    void undo() override { m_apply(m_from); }
    void redo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    std::shared_ptr<scene::Text> m_text;
    int m_from;
    int m_to;
    std::function<void(int)> m_apply;
    bool m_done = true;
};
