#include "tests/harness/UploadedHistory.h"

#include "service/HistoryReply.h"
#include "service/ShareClient.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QTest>
#include <QUuid>
#include <memory>
#include <optional>

namespace vtest {

QStringList uploadImages(int count, const QList<QColor> &colors, int timeoutMs)
{
    QStringList links;
    ShareClient::getUserID();
    for (int i = 0; i < count; ++i) {
        QImage image(96, 72, QImage::Format_RGB32);
        image.fill(colors.isEmpty() ? QColor(Qt::gray) : colors.at(i % colors.size()));
        const QString path = QDir::tempPath() + QStringLiteral("/upload-")
                             + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".png");
        if (!image.save(path, "PNG")) {
            links.append(QString());
            continue;
        }
        // Shared with the completion, which may still come after a timed-out wait.
        auto answer = std::make_shared<std::optional<QString>>();
        ShareClient::uploadFile(path, [answer](const ShareReply &reply) { *answer = reply.body; });
        (void)QTest::qWaitFor([&] { return answer->has_value(); }, timeoutMs);
        QFile::remove(path);
        const QString reply = answer->value_or(QString());
        links.append(reply.endsWith(QStringLiteral(".png")) ? QStringLiteral("https://") + reply : QString());
        // The service orders uploads by their millisecond; give each its own.
        const qint64 answeredAt = QDateTime::currentMSecsSinceEpoch();
        (void)QTest::qWaitFor([&] { return QDateTime::currentMSecsSinceEpoch() > answeredAt + 1; }, timeoutMs);
    }
    return links;
}

QString historyReply(bool shortHistory, int timeoutMs)
{
    auto answer = std::make_shared<std::optional<QString>>();
    ShareClient::getUserID();
    const auto keep = [answer](const ShareReply &reply) { *answer = reply.body; };
    if (shortHistory)
        ShareClient::fetchRecentHistory(keep);
    else
        ShareClient::fetchAllHistory(keep);
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, timeoutMs))
        return QStringLiteral("(no answer)");
    return answer->value();
}

QStringList historyAddresses(bool shortHistory, int timeoutMs)
{
    QStringList addresses;
    for (const HistoryEntry &entry : parseHistoryReply(historyReply(shortHistory, timeoutMs)))
        addresses.append(entry.address);
    return addresses;
}

} // namespace vtest
