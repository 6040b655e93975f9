#include "editor/AddFigureStep.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

namespace {
// The figure kinds by the names figures keep (Figure::typeName), for the step's text.
constexpr const char *kFigureKinds[] = {
    QT_TRANSLATE_NOOP("FigureKind", "arrow"),     QT_TRANSLATE_NOOP("FigureKind", "blur"),
    QT_TRANSLATE_NOOP("FigureKind", "counter"),   QT_TRANSLATE_NOOP("FigureKind", "ellipse"),
    QT_TRANSLATE_NOOP("FigureKind", "highlighter"), QT_TRANSLATE_NOOP("FigureKind", "line"),
    QT_TRANSLATE_NOOP("FigureKind", "pen"),       QT_TRANSLATE_NOOP("FigureKind", "pixelate"),
    QT_TRANSLATE_NOOP("FigureKind", "rectangle"), QT_TRANSLATE_NOOP("FigureKind", "text"),
};

QString figureKindText(const QString &typeName)
{
    for (const char *kind : kFigureKinds) {
        if (typeName == QLatin1String(kind))
            return QCoreApplication::translate("FigureKind", kind);
    }
    return typeName;
}
} // namespace

AddFigureStep::AddFigureStep(scene::Group &root, FigureList &records, std::shared_ptr<Figure> record,
                             std::shared_ptr<scene::Node> node)
    : m_root(root)
    , m_records(records)
    , m_record(std::move(record))
    , m_node(std::move(node))
{
    //: The undo step of a new figure; %1 is its kind, "ellipse" for instance.
    setText(QCoreApplication::translate("FigureSteps", "Add %1").arg(figureKindText(m_record->typeName)));
}

void AddFigureStep::undo()
{
    m_nodeIndex = m_root.take(m_node);
    m_recordIndex = m_records.items.indexOf(m_record);
    if (m_recordIndex >= 0)
        m_records.items.removeAt(m_recordIndex);
}

void AddFigureStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    if (m_nodeIndex >= 0)
        m_root.insert(m_nodeIndex, m_node);
    if (m_recordIndex >= 0)
        m_records.items.insert(std::min(m_recordIndex, m_records.items.size()), m_record);
}
