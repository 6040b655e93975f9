#include "helpers/SaveFolder.h"

#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace SaveFolder {

QString folder()
{
    // The setting may have changed on disk since it was read (by hand, or another
    // program): a save goes where it says now, not where it said at start-up.
    Preferences::standard().synchronize();
    QString chosen = Preferences::standard().stringForKey(SettingsKeys::saveFolder).trimmed();
    if (chosen == QLatin1String("~"))
        chosen = QDir::homePath();
    else if (chosen.startsWith(QLatin1String("~/")))
        chosen = QDir::homePath() + chosen.mid(1);
    if (!chosen.isEmpty())
        return QDir::cleanPath(QDir::isAbsolutePath(chosen) ? chosen : QDir::homePath() + QLatin1Char('/') + chosen);
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath() + QStringLiteral("/Pictures");
    return QDir::cleanPath(pictures + QStringLiteral("/Vornik"));
}

QString fileName(const QDateTime &time, int copy)
{
    QString name = QStringLiteral("Vornik ") + time.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    if (copy > 1)
        name += QStringLiteral(" (%1)").arg(copy);
    return name + QStringLiteral(".png");
}

QString claimNewFile(const QString &folder, const QDateTime &time, QString *error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QCoreApplication::translate("SaveFolder", "the folder %1 could not be made").arg(folder);
        return QString();
    }
    // NewOnly is O_CREAT | O_EXCL: the name is ours only if nobody had it.
    constexpr int kMostCopies = 1000;
    for (int copy = 1; copy <= kMostCopies; ++copy) {
        QFile file(folder + QLatin1Char('/') + fileName(time, copy));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists()) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
            return QString();
        }
    }
    if (error)
        //: %1 is a folder; %n is the number of screenshots a second may have (1000).
        *error = QCoreApplication::translate("SaveFolder", "%1 already holds %n screenshots of that second", nullptr,
                                             kMostCopies)
                     .arg(folder);
    return QString();
}

} // namespace SaveFolder
