#include "editor/TextEntryView.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

TextEntryView::TextEntryView(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    textview = new QPlainTextEdit(this);
    textview->setObjectName(QStringLiteral("textview"));
    textview->setPlaceholderText(tr("Type the text, then click where it goes"));
    textview->setAccessibleName(tr("Text of the next text figure"));
    textview->setTabChangesFocus(true);
    textview->setMinimumSize(260, 90);
    layout->addWidget(textview);
    // The text view's enter and leave events stand for its tracking area.
    textview->installEventFilter(this);
    textview->viewport()->installEventFilter(this);
}

QString TextEntryView::text() const
{
    return textview ? textview->toPlainText() : QString();
}

void TextEntryView::mouseEntered()
{
    pointerInEditor = true;
}

void TextEntryView::mouseExited()
{
    pointerInEditor = false;
}

bool TextEntryView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        mouseEntered();
        break;
    case QEvent::Leave:
        // Moving between the frame and the viewport leaves only the viewport; the
        // pointer has left the view when the view itself is left.
        if (watched == textview)
            mouseExited();
        break;
    case QEvent::ShortcutOverride:
        // Key equivalents typed here go to the text, never to a menu or shortcut.
        event->accept();
        return false;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TextEntryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    pointerInEditor = false;
    if (textview)
        textview->setFocus(Qt::PopupFocusReason);
}

void TextEntryView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden view cannot be under the pointer, and no leave event may follow.
    pointerInEditor = false;
}
