#include "helpers/ResourceImages.h"

#include <QFile>
#include <QImageReader>

QString resourceImagePath(const QString &name)
{
    for (const char *suffix : {".svg", ".png"}) {
        const QString path = QStringLiteral(":/images/") + name + QLatin1String(suffix);
        if (QFile::exists(path))
            return path;
    }
    return QString();
}

QImage imageNamed(const QString &name, const QSize &size)
{
    const QString path = resourceImagePath(name);
    if (path.isEmpty())
        return QImage();
    QImageReader reader(path);
    if (size.isValid())
        reader.setScaledSize(size);
    return reader.read();
}

QIcon iconNamed(const QString &name)
{
    const QString path = resourceImagePath(name);
    return path.isEmpty() ? QIcon() : QIcon(path);
}
