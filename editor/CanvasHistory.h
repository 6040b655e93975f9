#pragma once

#include "editor/Scene.h"
#include "editor/Figure.h"

#include <QUndoCommand>
#include <functional>
#include <memory>

// The changes to the editor's canvas, as undo steps. Each step was already made on the
// canvas when it is pushed (the first redo does nothing), except the deletions, which
// are made by their first redo.

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
