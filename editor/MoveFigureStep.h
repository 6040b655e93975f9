#pragma once

#include "editor/scene/Node.h"
#include "editor/FigureList.h"

#include <QPointF>
#include <QUndoCommand>
#include <memory>

// A change to the editor's canvas, as an undo step. The step was already made on the
// canvas when it is pushed: the first redo does nothing.
//
// A figure was dragged by (dx, dy): its place and its record's rectangle moved.
class MoveFigureStep : public QUndoCommand
{
public:
    MoveFigureStep(FigureList &records, std::shared_ptr<scene::Node> node, QPointF by);
    void undo() override { shift(-m_by); }
    void redo() override;

private:
    void shift(QPointF by);

    FigureList &m_records;
    std::shared_ptr<scene::Node> m_node;
    QPointF m_by;
    bool m_done = true;
};
