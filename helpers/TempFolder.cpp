#include "helpers/TempFolder.h"

#include <QDir>
#include <QUrl>
#include <chrono>
#include <cmath>

namespace TempFolder {

QString root()
{
    QString path = QDir::tempPath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString renderedSelectionPath()
{
    // Made into a file URL and read back, so "T" + "/a2.png" loses its doubled "/".
    const QUrl url = QUrl::fromLocalFile(root() + QStringLiteral("/a2.png"));
    return QDir::cleanPath(url.toLocalFile());
}

QString finalImagesFolder()
{
    return root() + QStringLiteral("Vornik/");
}

qint64 currentMilliseconds()
{
    using namespace std::chrono;
    const auto sinceEpoch = duration<double, std::milli>(system_clock::now().time_since_epoch());
    return qint64(std::llround(sinceEpoch.count()));
}

QString viewImagePath(qint64 milliseconds)
{
    return finalImagesFolder() + QString::number(milliseconds) + QStringLiteral("_viewimage.png");
}

QString bannerImagePath(qint64 milliseconds)
{
    return finalImagesFolder() + QString::number(milliseconds) + QStringLiteral("_bannerimage.png");
}

bool ensureFinalImagesFolder()
{
    return QDir().mkpath(finalImagesFolder());
}

QString unsentFolder()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    // XDG says a relative XDG_DATA_HOME is invalid and must be ignored.
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data) + QStringLiteral("/Vornik/unsent/");
}

} // namespace TempFolder
