#pragma once

#include "editor/scene/Group.h"
#include "editor/scene/Node.h"
#include "editor/FigureList.h"

#include <QUndoCommand>
#include <memory>

// A change to the editor's canvas, as an undo step. The step was already made on the
// canvas when it is pushed: the first redo does nothing.
//
// A figure was started: its node was appended to the root group and its record to the
// list. Undo takes both out, so the figure is neither drawn nor exported.
class AddFigureStep : public QUndoCommand
{
public:
    AddFigureStep(scene::Group &root, FigureList &records, std::shared_ptr<Figure> record,
                  std::shared_ptr<scene::Node> node);
    void undo() override;
    void redo() override;

private:
    scene::Group &m_root;
    FigureList &m_records;
    std::shared_ptr<Figure> m_record;
    std::shared_ptr<scene::Node> m_node;
    qsizetype m_nodeIndex = -1;
    qsizetype m_recordIndex = -1;
    bool m_done = true;
};
