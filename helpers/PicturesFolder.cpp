#include "helpers/PicturesFolder.h"

#include "platform/Preferences.h"

#include <QDir>
#include <QStandardPaths>

namespace PicturesFolder {

QString folder()
{
    QString chosen = Preferences::standard().stringForKey(QStringLiteral("savefolder")).trimmed();
    if (chosen.isEmpty()) {
        QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (pictures.isEmpty())
            pictures = QDir::homePath();
        chosen = pictures + QStringLiteral("/Vornik");
    }
    chosen = QDir::cleanPath(chosen);
    return chosen.endsWith(QLatin1Char('/')) ? chosen : chosen + QLatin1Char('/');
}

bool ensureFolder()
{
    return QDir().mkpath(folder());
}

QString proposedName(const QDateTime &when)
{
    return QStringLiteral("Vornik ") + when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss")) + QStringLiteral(".png");
}

} // namespace PicturesFolder
