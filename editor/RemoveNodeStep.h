#pragma once

#include "editor/scene/Group.h"
#include "editor/scene/Node.h"

#include <QUndoCommand>
#include <memory>

// A change to the editor's canvas, as an undo step. Its first redo makes it.
//
// Delete took a figure's node off the canvas; its record stays.
class RemoveNodeStep : public QUndoCommand
{
public:
    RemoveNodeStep(scene::Group &root, std::shared_ptr<scene::Node> node);
    void undo() override;
    void redo() override;

private:
    scene::Group &m_root;
    std::shared_ptr<scene::Node> m_node;
    qsizetype m_index = -1;
};
