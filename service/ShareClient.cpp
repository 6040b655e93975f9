#include "service/ShareClient.h"

#include "helpers/NamedColors.h"
#include "platform/Preferences.h"
#include "service/HttpTransport.h"
#include "service/MultipartForm.h"
#include "service/Protocol.h"
#include "service/ServiceConfiguration.h"
#include "platform/SettingsKeys.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QStringDecoder>
#include <QUuid>
#include <deque>
#include <memory>
#include <optional>
#include <utility>

namespace {

// The client and the server share the protocol's constants.
static_assert(std::string_view(ShareClient::sharedKey) == vornik::protocol::sharedKey);


constexpr int kDefaultStalledTransferMs = 120'000;

using ReplyHandler = std::function<void(const ShareReply &reply)>;

// The transport's answer as a reply: a body that is not UTF-8 makes the whole answer
// unreadable.
ShareReply replyFrom(const HttpResponse &response)
{
    if (response.transportFailed)
        return ShareReply::failure(ShareError::Transport, response.errorText, response.fault);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(response.body);
    if (!response.hasStatus || decoder.hasError()) {
        ShareReply unreadable = ShareReply::failure(ShareError::UnreadableReply);
        unreadable.status = response.hasStatus ? int(response.status) : 0;
        return unreadable;
    }
    return ShareReply::answer(int(response.status), text);
}

QByteArray contentTypeForFile(const QString &path)
{
    return QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
}

// Sends a GET, or with `form` a multipart POST; `done` gets the transport's answer.
void send(const QString &url, const MultipartForm *form, HttpTransport::Handler done)
{
    HttpRequest request;
    request.url = url;
    request.caFile = ServiceConfiguration::caFilePath();
    request.stalledTransferMs = ShareClient::stalledTransferLimitMs();
    if (form) {
        MultipartForm body = *form;
        request.body = body.body();
        request.contentType = body.contentType();
    }
    HttpTransport::shared().start(request, std::move(done));
}

void sendForReply(const QString &url, const MultipartForm *form, ReplyHandler done)
{
    send(url, form, [done = std::move(done)](const HttpResponse &response) { done(replyFrom(response)); });
}

void sendProbe(const QString &url, const QString &caFile, ShareClient::Completion completion)
{
    HttpRequest request;
    request.url = url;
    request.caFile = caFile;
    request.stalledTransferMs = ShareClient::stalledTransferLimitMs();
    HttpTransport::shared().start(request, [completion = std::move(completion)](const HttpResponse &response) {
        const ShareReply reply = replyFrom(response);
        // Like every completion, after the call that started it has returned.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [completion, reply] { completion(reply); }, Qt::QueuedConnection);
    });
}

// One salt request and the request that spends its token. The queue starts it; it
// asks for the salt, sends the second request, hands the reply to the completion on
// a later turn of the event loop, tells the queue it is done and deletes itself.
class RequestChain : public QObject
{
public:
    // Sends the request that spends `token`; `done` takes its reply, once. A chain
    // without one completes with the salt's own reply.
    using SecondRequest = std::function<void(const QString &token, ReplyHandler done)>;

    RequestChain(SecondRequest second, ShareClient::Completion completion)
        : m_second(std::move(second))
        , m_completion(std::move(completion))
    {
    }

    void start(std::function<void()> finished)
    {
        m_finished = std::move(finished);
        send(ShareClient::serviceBaseURL() + QStringLiteral("salt/"), nullptr,
             [chain = QPointer<RequestChain>(this)](const HttpResponse &response) {
                 if (chain)
                     chain->saltAnswered(response);
             });
    }

private:
    void saltAnswered(const HttpResponse &response)
    {
        const ShareReply salt = replyFrom(response);
        if (!m_second) {
            complete(salt);
            return;
        }
        // The token is made from the bytes exactly as received, whatever the status.
        const bool hasText = salt.error == ShareError::None || salt.error == ShareError::HttpStatus;
        const QString token = hasText ? ShareClient::tokenForSalt(response.body) : QString();
        m_second(token, [chain = QPointer<RequestChain>(this)](const ShareReply &reply) {
            if (chain)
                chain->complete(reply);
        });
    }

    void complete(const ShareReply &reply)
    {
        QMetaObject::invokeMethod(this, [this, reply] {
            if (m_completion)
                m_completion(reply);
            deleteLater();
            if (m_finished)
                m_finished();
        }, Qt::QueuedConnection);
    }

    SecondRequest m_second;
    ShareClient::Completion m_completion;
    std::function<void()> m_finished;
};

// Runs the chains one after another. A child of the application, so that replies and
// completions happen on the main thread and nothing outlives the application object.
class ChainQueue : public QObject
{
public:
    static void add(RequestChain *chain)
    {
        if (!s_queue) {
            s_queue = new ChainQueue(QCoreApplication::instance());
            qAddPostRoutine(destroyQueue);
        }
        s_queue->enqueue(chain);
    }

private:
    explicit ChainQueue(QObject *parent)
        : QObject(parent)
    {
    }

    static void destroyQueue() { delete s_queue.data(); }

    void enqueue(RequestChain *chain)
    {
        chain->setParent(this);
        m_waiting.push_back(chain);
        if (!m_running)
            startNext();
    }

    void startNext()
    {
        m_running = false;
        while (!m_waiting.empty() && !m_running) {
            const QPointer<RequestChain> chain = m_waiting.front();
            m_waiting.pop_front();
            if (!chain)
                continue;
            m_running = true;
            chain->start([this] { startNext(); });
        }
    }

    static inline QPointer<ChainQueue> s_queue;
    std::deque<QPointer<RequestChain>> m_waiting;
    bool m_running = false;
};

void startChain(RequestChain::SecondRequest second, ShareClient::Completion completion)
{
    ChainQueue::add(new RequestChain(std::move(second), std::move(completion)));
}

void sendUpload(const QString &path, const QString &token, const ReplyHandler &done)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        done(ShareReply::failure(ShareError::FileMissing));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        done(ShareReply::failure(ShareError::FileUnreadable, file.errorString()));
        return;
    }
    MultipartForm form;
    form.addText("name", "userid");
    form.addText(ShareClient::userIDFieldName(), ShareClient::getUserID().toUtf8());
    form.addFile("filename", info.fileName().toUtf8(), contentTypeForFile(path), file.readAll());
    sendForReply(ShareClient::serviceBaseURL() + QStringLiteral("upload/") + token, &form, done);
}

void fetchHistory(const QString &suffix, ShareClient::Completion completion)
{
    startChain([suffix](const QString &token, ReplyHandler done) {
        const QString url = ShareClient::serviceBaseURL() + QStringLiteral("history/") + token + QLatin1Char('/')
                            + ShareClient::getUserID() + suffix;
        sendForReply(url, nullptr, [done = std::move(done)](ShareReply reply) {
            // The history is only read from a plain 200.
            if (reply.error == ShareError::None && reply.status != 200)
                reply.error = ShareError::HttpStatus;
            done(reply);
        });
    }, std::move(completion));
}

} // namespace

QString ShareClient::serviceBaseURL()
{
    return ServiceConfiguration::serviceBaseURL();
}

QString ShareClient::getUserID()
{
    Preferences &store = Preferences::standard();
    QString userID = store.stringForKey(SettingsKeys::userId);
    if (userID.isEmpty()) {
        // Absent, or stored as something that reads as no text: make a fresh one.
        userID = userIDForUUID(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
        store.setString(SettingsKeys::userId, userID);
        store.synchronize();
    }
    return userID;
}

void ShareClient::fetchSalt(Completion completion)
{
    startChain({}, std::move(completion));
}

void ShareClient::probeSalt(const QString &baseURL, const QString &caFile, Completion completion)
{
    sendProbe(baseURL + QStringLiteral("salt/"), caFile, std::move(completion));
}

void ShareClient::uploadFile(const QString &path, Completion completion)
{
    startChain([path](const QString &token, ReplyHandler done) { sendUpload(path, token, done); },
               std::move(completion));
}

ShareClient::FileWritten ShareClient::uploadFileOnceWritten(Completion completion)
{
    struct Pending {
        std::optional<QString> path;
        std::function<void(const QString &)> post; // set while the salt has come and the file has not
    };
    auto pending = std::make_shared<Pending>();
    startChain([pending](const QString &token, ReplyHandler done) {
        if (pending->path)
            sendUpload(*pending->path, token, done);
        else
            pending->post = [token, done](const QString &path) { sendUpload(path, token, done); };
    }, std::move(completion));
    return [pending](const QString &path) {
        if (pending->path)
            return;
        pending->path = path;
        if (auto post = std::exchange(pending->post, {}))
            post(path);
    };
}

void ShareClient::deleteImage(const QString &name, Completion completion)
{
    startChain([name](const QString &token, ReplyHandler done) {
        const QString url = serviceBaseURL() + QStringLiteral("delete/") + token + QLatin1Char('/') + name
                            + QLatin1Char('/') + getUserID();
        sendForReply(url, nullptr, std::move(done));
    }, std::move(completion));
}

void ShareClient::fetchRecentHistory(Completion completion)
{
    fetchHistory(QStringLiteral("/10"), std::move(completion));
}

void ShareClient::fetchAllHistory(Completion completion)
{
    fetchHistory(QString(), std::move(completion));
}

void ShareClient::setBanner(const QString &colorName, const QColor &color, const QString &imageLink,
                            Completion completion)
{
    const QString colorValue = colorText(colorName, color);
    startChain([colorValue, imageLink](const QString &token, ReplyHandler done) {
        const QString url = serviceBaseURL() + QStringLiteral("setuser/") + token + QStringLiteral("?id=")
                            + getUserID() + QStringLiteral("&headerImage=") + imageLink
                            + QStringLiteral("&headerColor=") + colorValue;
        sendForReply(url, nullptr, std::move(done));
    }, std::move(completion));
}

int ShareClient::stalledTransferLimitMs()
{
    bool valid = false;
    const int chosen = qEnvironmentVariableIntValue("VORNIK_STALLED_TRANSFER_MS", &valid);
    return valid && chosen > 0 ? chosen : kDefaultStalledTransferMs;
}

QString ShareClient::tokenForSalt(const QByteArray &saltBody)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(saltBody);
    hash.addData(QByteArrayView(sharedKey));
    return QString::fromLatin1(hash.result().toHex());
}

QString ShareClient::userIDForUUID(const QString &uuidText)
{
    return QString::fromLatin1(QCryptographicHash::hash(uuidText.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString ShareClient::colorText(const QString &colorName, const QColor &color)
{
    QString text = colorName == QLatin1String("white") ? QString::asprintf("#%02X%02X%02X", 255, 255, 255)
                                                        : hexString(color);
    return text.replace(QLatin1Char('#'), QStringLiteral("%23"));
}

QByteArray ShareClient::userIDFieldName()
{
    return QByteArray(vornik::protocol::formUserIdField.data(), qsizetype(vornik::protocol::formUserIdField.size()));
}
