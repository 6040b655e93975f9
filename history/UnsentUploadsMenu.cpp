#include "history/UnsentUploadsMenu.h"

#include "output/UploadHandOff.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>

UnsentUploadsMenu::UnsentUploadsMenu(DesktopServices desktop, QWidget *parent)
    : QMenu(tr("Unsent uploads"), parent)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("unsentUploadsMenu"));
    connect(this, &QMenu::aboutToShow, this, &UnsentUploadsMenu::menuWillOpen);
}

void UnsentUploadsMenu::menuWillOpen()
{
    clear();
    const QStringList paths = unsentUploads();
    if (paths.isEmpty()) {
        addAction(tr("No unsent uploads"))->setEnabled(false);
        return;
    }
    QAction *all = addAction(tr("Retry all (%n)", nullptr, int(paths.size())));
    connect(all, &QAction::triggered, this, [desktop = m_desktop, paths] {
        for (const QString &path : paths)
            retryUnsentUpload(desktop, path);
    });
    addSeparator();
    for (const QString &path : paths) {
        // Named by when the capture failed to go out; the tool tip holds the file.
        const QFileInfo file(path);
        QAction *entry = addAction(tr("Retry the capture of %1")
                                       .arg(QLocale().toString(file.lastModified(), QLocale::ShortFormat)));
        entry->setToolTip(path);
        connect(entry, &QAction::triggered, this, [desktop = m_desktop, path] { retryUnsentUpload(desktop, path); });
    }
}
