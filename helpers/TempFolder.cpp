#include "helpers/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QUrl>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The runtime folder when the session has a usable one; empty otherwise.
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime) || !QFileInfo(runtime).isDir())
        return QString();
    return QDir::cleanPath(runtime);
}

QString fallbackFolder()
{
    return QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/vornik-") + QString::number(::geteuid());
}

// Makes `folder` with mode 0700 unless something is there already.
QString makePrivateFolder(const QString &folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        //: %1 is a folder, %2 the system's reason.
        return QCoreApplication::translate("TempFolder", "%1 could not be made: %2")
            .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

QMutex g_heldLock;
QHash<QString, int> g_held;

} // namespace

namespace TempFolder {

QString root()
{
    const QString runtime = runtimeFolder();
    return (runtime.isEmpty() ? fallbackFolder() : runtime) + QLatin1Char('/');
}

QString privacyProblem(const QString &folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    struct stat info {};
    // lstat: a symbolic link is refused as it stands, wherever it points.
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(info.st_mode))
        return QCoreApplication::translate("TempFolder", "%1 is a symbolic link").arg(path);
    if (!S_ISDIR(info.st_mode))
        return QCoreApplication::translate("TempFolder", "%1 is not a folder").arg(path);
    if (info.st_uid != ::geteuid())
        //: %1 is a folder, %2 the number of the user it belongs to.
        return QCoreApplication::translate("TempFolder", "%1 belongs to another user (uid %2)").arg(path).arg(info.st_uid);
    if ((info.st_mode & 077) != 0)
        //: %1 is a folder, %2 its permissions in octal, "755" for instance.
        return QCoreApplication::translate("TempFolder", "%1 may be entered by other users (mode %2)")
            .arg(path, QString::number(info.st_mode & 07777, 8));
    return QString();
}

QString preparePrivateFolders()
{
    const QString base = root();
    if (runtimeFolder().isEmpty()) {
        // Our own folder in a shared temporary folder: it must be ours and closed.
        QString problem = makePrivateFolder(base.chopped(1));
        if (problem.isEmpty())
            problem = privacyProblem(base);
        if (!problem.isEmpty())
            return problem;
    }
    const QString images = finalImagesFolder();
    QString problem = makePrivateFolder(images.chopped(1));
    return problem.isEmpty() ? privacyProblem(images) : problem;
}

bool isInside(const QString &path)
{
    return QDir::cleanPath(path).startsWith(root());
}

void holdFile(const QString &path)
{
    QMutexLocker lock(&g_heldLock);
    ++g_held[QDir::cleanPath(path)];
}

void releaseFile(const QString &path)
{
    QMutexLocker lock(&g_heldLock);
    const auto found = g_held.find(QDir::cleanPath(path));
    if (found != g_held.end() && --found.value() <= 0)
        g_held.erase(found);
}

bool isHeld(const QString &path)
{
    QMutexLocker lock(&g_heldLock);
    return g_held.contains(QDir::cleanPath(path));
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
    return preparePrivateFolders().isEmpty();
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
