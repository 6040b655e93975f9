#pragma once

#include "editor/FigureList.h"

#include <QUndoCommand>
#include <memory>

// A change to the editor's canvas, as an undo step. Its first redo makes it.
//
// A second Delete dropped the record of a figure already off the canvas.
class DropRecordStep : public QUndoCommand
{
public:
    DropRecordStep(FigureList &records, std::shared_ptr<Figure> record);
    void undo() override;
    void redo() override;

private:
    FigureList &m_records;
    std::shared_ptr<Figure> m_record;
    qsizetype m_index = -1;
};
