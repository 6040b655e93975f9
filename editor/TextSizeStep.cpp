#include "editor/TextSizeStep.h"

#include <QCoreApplication>

#include <utility>

TextSizeStep::TextSizeStep(std::shared_ptr<scene::Text> text, int from, int to, std::function<void(int)> apply)
    : m_text(std::move(text))
    , m_from(from)
    , m_to(to)
    , m_apply(std::move(apply))
{
    setText(QCoreApplication::translate("FigureSteps", "Text size"));
}

void TextSizeStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    m_apply(m_to);
}

bool TextSizeStep::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const TextSizeStep *>(other);
    if (next->m_text != m_text)
        return false;
    m_to = next->m_to;
    return true;
}
