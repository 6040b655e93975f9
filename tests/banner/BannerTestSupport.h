#pragma once

// Helpers shared by the banner tests: fresh preferences, answers for the modal runs,
// panels and the color panel, and a look at a real vornik-server.

#include "platform/Preferences.h"
#include "banner/ModalRuns.h"
#include "helpers/FilePanels.h"
#include "service/ServiceConfiguration.h"
#include "service/ShareClient.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestEnvironment.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <functional>

namespace bannertest {

inline constexpr int kWaitMs = 20000;

// Forgets every stored preference, so each case starts as a fresh installation.
inline void clearPreferences()
{
    const QString file = Preferences::standard().fileName();
    Preferences::resetStandard();
    QFile::remove(file);
}

inline QString prefs(const char *key)
{
    return Preferences::standard().stringForKey(QLatin1String(key));
}

inline QString writeSolidPng(const QString &path, const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image.save(path, "PNG") ? path : QString();
}

// Modal runs answered by the test: each run calls `answer` with the window, which
// may click in it; the run then ends (stopModal is counted).
struct AnsweringRuns : ModalRuns {
    std::function<void(QWidget *)> answer;
    int runs = 0;
    int stops = 0;
    bool windowWasVisible = false;

    void runModalForWindow(QWidget *window) override
    {
        ++runs;
        window->show();
        windowWasVisible = window->isVisible();
        if (answer)
            answer(window);
    }
    void stopModal() override { ++stops; }
};

// Open and save panels answered by the test; every request is kept.
struct AnsweringPanels : FilePanels {
    QList<OpenRequest> openRequests;
    QList<SaveRequest> saveRequests;
    QStringList openAnswer;
    QString saveAnswer;

    QStringList runOpenPanel(const OpenRequest &request) override
    {
        openRequests.append(request);
        return openAnswer;
    }
    QString runSavePanel(const SaveRequest &request) override
    {
        saveRequests.append(request);
        return saveAnswer;
    }
};

// Fetches `url` from the test's server (trusting its certificate); empty on failure.
inline QByteArray fetch(const QUrl &url)
{
    return vtest::fetchUrl(url, kWaitMs);
}

// The image the server shares at `link` (with the owner's banner).
inline QImage fetchShared(const QString &link)
{
    return QImage::fromData(fetch(QUrl(link)), "PNG");
}

// The bytes exactly as uploaded, from raw/NAME.png.
inline QByteArray fetchRaw(const QString &link)
{
    QUrl raw(link);
    raw.setPath(QStringLiteral("/raw") + QUrl(link).path());
    return fetch(raw);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "header_image|header_color" of the user as the server's database holds it, or ""
// when the user has no record.
inline QString serverUserRecord(const vtest::ServerProcess &server, const QString &userId)
{
    QString output;
    const QString query = QStringLiteral("SELECT header_image || '|' || header_color FROM users WHERE id = '%1';").arg(userId);
    if (vtest::run({QStringLiteral("sqlite3"), server.dataDir() + QStringLiteral("/vornik.db"), query}, &output) != 0)
        return QStringLiteral("(sqlite3 failed)");
    return output.trimmed();
}

// How many set-user requests the server has answered, from its request log (one
// line per request: method, first path word, status).
inline int setUserRequestsLogged(const vtest::ServerProcess &server)
{
    return int(fileBytes(server.logFile()).count("GET /setuser "));
}

// How many uploads the server has answered, from its request log.
inline int uploadsLogged(const vtest::ServerProcess &server)
{
    return int(fileBytes(server.logFile()).count("POST /upload "));
}

// Waits until every request chain started so far has finished. Chains run one after
// another, so a history chain that completes has waited for all chains queued before
// it. A banner upload starts its set-user chain only from the upload's completion,
// which may queue it behind the first probe: the second probe waits for that too.
inline bool drainRequestChains()
{
    for (int round = 0; round < 2; ++round) {
        bool done = false;
        ShareClient::fetchAllHistory([&done](const ShareReply &) { done = true; });
        if (!QTest::qWaitFor([&] { return done; }, kWaitMs))
            return false;
    }
    return true;
}

// Uploads the file at `path` as the current user; the reply text.
inline QString upload(const QString &path)
{
    QString reply;
    bool done = false;
    ShareClient::uploadFile(path, [&](const ShareReply &answer) {
        reply = answer.body;
        done = true;
    });
    return QTest::qWaitFor([&] { return done; }, kWaitMs) ? reply : QStringLiteral("(no answer)");
}

// The banner as the server draws it: `banner` over a strip of `color`.
inline QImage expectedBannerArea(const QImage &banner, const QColor &color)
{
    QImage expected(banner.size(), QImage::Format_ARGB32);
    expected.fill(color);
    QPainter painter(&expected);
    painter.drawImage(0, 0, banner);
    painter.end();
    return expected;
}

// Largest difference of any channel between two pixels.
inline int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

// Whether `shared` (an image of `imageSize` with the banner strip above it) shows
// `banner` on `color`, centred in the strip as the server places it.
inline bool showsBanner(const QImage &shared, const QSize &imageSize, const QImage &banner, const QColor &color,
                        QString *why)
{
    constexpr int padding = 8;
    const int strip = banner.height() + 2 * padding;
    if (shared.size() != QSize(imageSize.width(), imageSize.height() + strip)) {
        *why = QStringLiteral("size %1x%2").arg(shared.width()).arg(shared.height());
        return false;
    }
    const QImage image = shared.convertToFormat(QImage::Format_ARGB32);
    const QImage expected = expectedBannerArea(banner.convertToFormat(QImage::Format_ARGB32), color);
    for (const QPoint corner : {QPoint(1, 1), QPoint(image.width() - 2, strip - 2)}) {
        if (channelDistance(image.pixel(corner), color.rgba()) > 1) {
            *why = QStringLiteral("strip is %1").arg(QColor(image.pixel(corner)).name());
            return false;
        }
    }
    const QPoint origin((imageSize.width() - banner.width()) / 2, padding);
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            if (channelDistance(image.pixel(origin + QPoint(x, y)), expected.pixel(x, y)) > 2) {
                *why = QStringLiteral("banner pixel %1,%2 differs").arg(x).arg(y);
                return false;
            }
        }
    }
    return true;
}

} // namespace bannertest
