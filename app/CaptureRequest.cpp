#include "app/CaptureRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {
const char *const kModes[] = {"overlay", "full", "window", "region"};
const char *const kOutputs[] = {"save", "copy", "upload", "stdout"};

// The index of `name` in `names`, or -1.
template<size_t N>
int indexOf(const char *const (&names)[N], const QString &name)
{
    for (size_t i = 0; i < N; ++i) {
        if (name == QLatin1String(names[i]))
            return int(i);
    }
    return -1;
}
} // namespace

QByteArray CaptureRequest::toLine() const
{
    QJsonObject object{{"mode", kModes[int(mode)]}, {"output", kOutputs[int(output)]}, {"delay", delaySeconds}};
    if (mode == Mode::Region)
        object.insert("region", QJsonArray{region.x(), region.y(), region.width(), region.height()});
    if (!path.isEmpty())
        object.insert("path", path);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<CaptureRequest> CaptureRequest::fromLine(const QByteArray &line)
{
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    const int mode = indexOf(kModes, object.value("mode").toString());
    const int output = indexOf(kOutputs, object.value("output").toString());
    const int delay = object.value("delay").toInt(-1);
    if (mode < 0 || output < 0 || delay < 0)
        return std::nullopt;
    CaptureRequest request;
    request.mode = Mode(mode);
    request.output = Output(output);
    request.delaySeconds = delay;
    request.path = object.value("path").toString();
    if (request.mode == Mode::Region) {
        const QJsonArray r = object.value("region").toArray();
        request.region = QRect(r.at(0).toInt(), r.at(1).toInt(), r.at(2).toInt(), r.at(3).toInt());
        if (r.size() != 4 || request.region.isEmpty())
            return std::nullopt;
    }
    return request;
}

std::optional<QRect> parseRegion(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

namespace CaptureAnswer {
QByteArray success(const QByteArray &output)
{
    return QByteArrayLiteral("ok\n") + output;
}

QByteArray failure(const QString &reason)
{
    QString line = reason;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QByteArrayLiteral("error ") + line.toUtf8() + '\n';
}
} // namespace CaptureAnswer
