#include "app/LauncherWindow.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Long enough for the compositor to take the window off the screen before a capture
// that the entry starts reads it.
constexpr int kHiddenBeforeEntryMs = 250;
} // namespace

LauncherWindow::LauncherWindow(const QList<QAction *> &entries, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("launcherWindow"));
    setWindowTitle(QStringLiteral("Vornik"));
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(tr("No system tray is running, so Vornik has no icon. A tray gives quicker access "
                               "(on GNOME, the AppIndicator extension); until then, starting Vornik again opens "
                               "this window."), this);
    note->setWordWrap(true);
    note->setObjectName(QStringLiteral("trayMissingNote"));
    note->hide();
    m_note = note;
    layout->addWidget(note);
    for (QAction *entry : entries) {
        auto *button = new QToolButton(this);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // The button shows the entry's title and enables with it; a click runs the
        // entry once the window is out of the way.
        button->setText(entry->text());
        connect(entry, &QAction::changed, button, [button, entry] {
            button->setText(entry->text());
            button->setEnabled(entry->isEnabled());
        });
        connect(button, &QToolButton::clicked, this, [this, entry] {
            hide();
            QTimer::singleShot(kHiddenBeforeEntryMs, entry, &QAction::trigger);
        });
        layout->addWidget(button);
    }
    setMinimumWidth(320);
}

void LauncherWindow::setTrayMissingNoteVisible(bool visible)
{
    m_note->setVisible(visible);
    adjustSize();
}

void LauncherWindow::present()
{
    show();
    raise();
    activateWindow();
}
