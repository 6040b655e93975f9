#include "editor/textEditPopover.h"

#include <QEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

textEditViewController::textEditViewController(QWidget *parent)
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

QString textEditViewController::text() const
{
    return textview ? textview->toPlainText() : QString();
}

void textEditViewController::mouseEntered()
{
    mouseineditor = true;
}

void textEditViewController::mouseExited()
{
    mouseineditor = false;
}

bool textEditViewController::eventFilter(QObject *watched, QEvent *event)
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

void textEditViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    mouseineditor = false;
    if (textview)
        textview->setFocus(Qt::PopupFocusReason);
}

void textEditViewController::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A hidden view cannot be under the pointer, and no leave event may follow.
    mouseineditor = false;
}

textEditPopover::textEditPopover(textEditViewController *controller, QWidget *parent)
    : ToolPopover(controller, parent)
    , m_controller(controller)
{
    setObjectName(QStringLiteral("texteditpopover"));
}
