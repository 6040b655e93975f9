#include "service/ShareClient.h"

#include "helpers/NamedColors.h"
#include "service/HttpTransport.h"
#include "service/MultipartForm.h"
#include "service/Protocol.h"
#include "service/ServiceConfiguration.h"
#include "platform/SettingsKeys.h"

#include <memory>
#include <optional>
#include <utility>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QStringDecoder>
#include <QUuid>
#include <deque>

namespace {

// The client and the server share the protocol's constants.
static_assert(std::string_view(ShareClient::sharedKey) == vornik::protocol::sharedKey);

const QString kInvalidOperation = QStringLiteral("Invalid Operation");
const QString kFileMissing = QStringLiteral("Error: File doesn't exist");
const QString kNotImplemented = QStringLiteral("not implemented");
const QString kServerError = QStringLiteral("server returned error code");
const QString kRecordedError = QStringLiteral("error");

constexpr int kDefaultStalledTransferMs = 120'000;
int g_stalledTransferMs = kDefaultStalledTransferMs;

ShareClientState &clientState()
{
    static ShareClientState state;
    return state;
}

QString statusLine(qint64 status)
{
    return QString::number(status) + QStringLiteral(" Status code was returned");
}

void resetForRequest(ShareClientState &state)
{
    state.lastErrorText.clear();
    state.lastStatusCode = 0;
    state.lastReplyText.clear();
}

// A reply as the client reads it: the transport's answer, and its body as text when
// the body is UTF-8.
struct ReplyOutcome : HttpResponse {
    bool hasText = false;
    QString text;

    bool complete() const { return hasStatus && hasText; }
};

ReplyOutcome readReply(const HttpResponse &response)
{
    ReplyOutcome outcome;
    static_cast<HttpResponse &>(outcome) = response;
    if (response.transportFailed)
        return outcome;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    outcome.text = decoder(outcome.body);
    outcome.hasText = !decoder.hasError();
    return outcome;
}

QByteArray contentTypeForFile(const QString &path)
{
    return QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
}

// Owns the network access and the order in which request chains run. Lives on the
// main thread as a child of the application, so replies, state changes and
// completions all happen there.
class ServiceEngine : public QObject
{
public:
    static ServiceEngine &instance()
    {
        if (!s_engine) {
            s_engine = new ServiceEngine(QCoreApplication::instance());
            qAddPostRoutine(destroyInstance);
        }
        return *s_engine;
    }

    // Runs `job` now when no chain is in flight, otherwise after the ones before it.
    void enqueueJob(std::function<void()> job)
    {
        m_pendingJobs.push_back(std::move(job));
        if (!m_jobRunning)
            startNextJob();
    }

    // A salt reply has been handled: the continuation runs later on the main thread,
    // and whatever it starts belongs to this chain.
    void deliverSaltContinuation(VorCompletion continuation, const QString &text)
    {
        later([this, continuation = std::move(continuation), text] {
            const bool outerContinuation = m_inSaltContinuation;
            m_inSaltContinuation = true;
            if (continuation)
                continuation(text);
            m_inSaltContinuation = outerContinuation;
            if (m_openSecondHalves == 0)
                finishJob();
        });
    }

    // Starts a request that uses the current token: inside a salt continuation as
    // part of that chain, otherwise as a chain of its own.
    void beginSecondHalf(std::function<void()> send)
    {
        if (m_inSaltContinuation) {
            ++m_openSecondHalves;
            send();
            return;
        }
        enqueueJob([this, send = std::move(send)] {
            ++m_openSecondHalves;
            send();
        });
    }

    void deliverSecondHalf(VorCompletion completion, const QString &text)
    {
        later([this, completion = std::move(completion), text] {
            if (completion)
                completion(text);
            if (--m_openSecondHalves == 0)
                finishJob();
        });
    }

    // A completion that belongs to no chain (a call rejected before any request).
    void deliver(VorCompletion completion, const QString &text)
    {
        later([completion = std::move(completion), text] {
            if (completion)
                completion(text);
        });
    }

    void send(const QString &url, const MultipartForm *form, std::function<void(const ReplyOutcome &)> onReply)
    {
        HttpRequest request;
        request.url = url;
        request.caFile = ServiceConfiguration::caFilePath();
        request.stalledTransferMs = g_stalledTransferMs;
        if (form) {
            MultipartForm body = *form;
            request.body = body.body();
            request.contentType = body.contentType();
        }
        HttpTransport::shared().start(request, [onReply = std::move(onReply)](const HttpResponse &response) {
            onReply(readReply(response));
        });
    }

private:
    explicit ServiceEngine(QObject *parent)
        : QObject(parent)
    {
    }

    static void destroyInstance() { delete s_engine.data(); }

    static inline QPointer<ServiceEngine> s_engine;

    void later(std::function<void()> work)
    {
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
    }

    void startNextJob()
    {
        if (m_pendingJobs.empty())
            return;
        std::function<void()> job = std::move(m_pendingJobs.front());
        m_pendingJobs.pop_front();
        m_jobRunning = true;
        job();
    }

    void finishJob()
    {
        m_jobRunning = false;
        startNextJob();
    }

    std::deque<std::function<void()>> m_pendingJobs;
    bool m_jobRunning = false;
    bool m_inSaltContinuation = false;
    int m_openSecondHalves = 0;
};

// Step A: the salt request.
void sendSaltRequest(VorCompletion continuation)
{
    ShareClientState &state = clientState();
    state.currentToken.clear();
    resetForRequest(state);
    ServiceEngine &engine = ServiceEngine::instance();
    const QString url = ShareClient::serviceBaseURL() + QStringLiteral("salt/");
    engine.send(url, nullptr, [continuation = std::move(continuation)](const ReplyOutcome &reply) {
        ShareClientState &state = clientState();
        ServiceEngine &engine = ServiceEngine::instance();
        if (reply.transportFailed) {
            state.lastErrorText = reply.errorText;
            engine.deliverSaltContinuation(continuation, reply.errorText);
            return;
        }
        if (!reply.complete()) {
            state.lastStatusCode = 404;
            state.lastReplyText.clear();
            engine.deliverSaltContinuation(continuation, kInvalidOperation);
            return;
        }
        state.lastStatusCode = reply.status;
        state.lastReplyText = reply.text;
        state.currentToken = ShareClient::tokenForSalt(reply.body);
        if (reply.status == 200) {
            engine.deliverSaltContinuation(continuation, state.currentToken);
        } else {
            state.lastErrorText = statusLine(reply.status);
            engine.deliverSaltContinuation(continuation, state.lastErrorText);
        }
    });
}

// Step B: the multipart upload, once the salt has been handled.
void sendUpload(const QString &path, VorCompletion completion)
{
    ShareClientState &state = clientState();
    ServiceEngine &engine = ServiceEngine::instance();
    const QString url = ShareClient::serviceBaseURL() + QStringLiteral("upload/") + state.currentToken;
    state.currentToken.clear();
    resetForRequest(state);

    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        state.lastErrorText = kFileMissing;
        engine.deliverSecondHalf(completion, kFileMissing);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // The file is there but cannot be read: report it like any other failure to
        // send, with the system's description.
        state.lastErrorText = QStringLiteral("Error: ") + file.errorString();
        engine.deliverSecondHalf(completion, state.lastErrorText);
        return;
    }
    MultipartForm form;
    form.addText("name", "userid");
    form.addText(ShareClient::userIDFieldName(), ShareClient::getUserID().toUtf8());
    form.addFile("filename", info.fileName().toUtf8(), contentTypeForFile(path), file.readAll());

    engine.send(url, &form, [completion = std::move(completion)](const ReplyOutcome &reply) {
        ShareClientState &state = clientState();
        ServiceEngine &engine = ServiceEngine::instance();
        if (reply.transportFailed) {
            state.lastErrorText = reply.errorText;
            engine.deliverSecondHalf(completion, reply.errorText);
            return;
        }
        if (!reply.complete()) {
            // A reply without a status or a readable body still ends the upload, with
            // a failure text, so the caller can tell the user.
            state.lastErrorText = kInvalidOperation;
            engine.deliverSecondHalf(completion, kInvalidOperation);
            return;
        }
        state.lastStatusCode = reply.status;
        state.lastReplyText = reply.text;
        engine.deliverSecondHalf(completion, reply.text);
    });
}

// Steps C and D share their reply handling up to the status check.
void recordReply(const ReplyOutcome &reply)
{
    ShareClientState &state = clientState();
    if (reply.transportFailed) {
        state.lastErrorText = reply.errorText;
        state.lastReplyText = kRecordedError;
        return;
    }
    if (reply.complete()) {
        state.lastStatusCode = reply.status;
        state.lastReplyText = reply.text;
    }
    state.lastErrorText.clear();
}

// Step C: delete.
void sendDelete(const QString &name, VorCompletion completion)
{
    ShareClientState &state = clientState();
    const QString url = ShareClient::serviceBaseURL() + QStringLiteral("delete/") + state.currentToken
                        + QLatin1Char('/') + name + QLatin1Char('/') + ShareClient::getUserID();
    resetForRequest(state);
    ServiceEngine::instance().send(url, nullptr, [completion = std::move(completion)](const ReplyOutcome &reply) {
        recordReply(reply);
        ServiceEngine::instance().deliverSecondHalf(completion, clientState().lastReplyText);
    });
}

// Step D: history.
void sendHistory(ShareOperation op, VorCompletion completion)
{
    ShareClientState &state = clientState();
    QString url = ShareClient::serviceBaseURL() + QStringLiteral("history/") + state.currentToken + QLatin1Char('/')
                  + ShareClient::getUserID();
    if (op == ShareOperation::shorthistory)
        url += QStringLiteral("/10");
    resetForRequest(state);
    ServiceEngine::instance().send(url, nullptr, [completion = std::move(completion)](const ReplyOutcome &reply) {
        recordReply(reply);
        ShareClientState &state = clientState();
        if (state.lastStatusCode != 200) {
            state.lastErrorText = statusLine(state.lastStatusCode);
            state.lastReplyText = kServerError;
        }
        ServiceEngine::instance().deliverSecondHalf(completion, state.lastReplyText);
    });
}

// Step E: set user.
void sendSetUser(const QString &colorText, const QString &imageName, VorCompletion completion)
{
    ShareClientState &state = clientState();
    const QString url = ShareClient::serviceBaseURL() + QStringLiteral("setuser/") + state.currentToken
                        + QStringLiteral("?id=") + ShareClient::getUserID() + QStringLiteral("&headerImage=")
                        + imageName + QStringLiteral("&headerColor=") + colorText;
    resetForRequest(state);
    ServiceEngine::instance().send(url, nullptr, [completion = std::move(completion)](const ReplyOutcome &reply) {
        ShareClientState &state = clientState();
        ServiceEngine &engine = ServiceEngine::instance();
        if (reply.transportFailed) {
            state.lastErrorText = reply.errorText;
            state.lastReplyText = kRecordedError;
            engine.deliverSecondHalf(completion, reply.errorText);
            return;
        }
        if (reply.complete()) {
            state.lastStatusCode = reply.status;
            state.lastReplyText = reply.text;
        }
        state.lastErrorText.clear();
        engine.deliverSecondHalf(completion, state.lastReplyText);
    });
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
    clientState().currentUserID = userID;
    return userID;
}

void ShareClient::getSalt(ShareOperation op, VorCompletion continuation)
{
    ServiceEngine &engine = ServiceEngine::instance();
    if (op != ShareOperation::salt) {
        engine.deliver(std::move(continuation), kInvalidOperation);
        return;
    }
    engine.enqueueJob([continuation = std::move(continuation)] { sendSaltRequest(continuation); });
}

void ShareClient::uploadFile(ShareOperation op, const QString &path, VorCompletion completion)
{
    ServiceEngine &engine = ServiceEngine::instance();
    if (op != ShareOperation::upload) {
        engine.deliver(std::move(completion), kInvalidOperation);
        return;
    }
    getSalt(ShareOperation::salt, [path, completion = std::move(completion)](const QString &) {
        ServiceEngine::instance().beginSecondHalf([path, completion] { sendUpload(path, completion); });
    });
}

ShareClient::FileWritten ShareClient::uploadFileOnceWritten(ShareOperation op, VorCompletion completion)
{
    struct Pending {
        std::optional<QString> path;
        std::function<void(const QString &)> post; // set while the salt has come and the file has not
    };
    auto pending = std::make_shared<Pending>();
    FileWritten written = [pending](const QString &path) {
        if (pending->path)
            return;
        pending->path = path;
        if (auto post = std::exchange(pending->post, {}))
            post(path);
    };
    if (op != ShareOperation::upload) {
        ServiceEngine::instance().deliver(std::move(completion), kInvalidOperation);
        return written;
    }
    getSalt(ShareOperation::salt, [pending, completion = std::move(completion)](const QString &) {
        ServiceEngine::instance().beginSecondHalf([pending, completion] {
            if (pending->path)
                sendUpload(*pending->path, completion);
            else
                pending->post = [completion](const QString &path) { sendUpload(path, completion); };
        });
    });
    return written;
}

void ShareClient::deleteImage(ShareOperation op, const QString &name, VorCompletion completion)
{
    ServiceEngine &engine = ServiceEngine::instance();
    if (op != ShareOperation::delete_) {
        engine.deliver(std::move(completion), kInvalidOperation);
        return;
    }
    getSalt(ShareOperation::salt, [name, completion = std::move(completion)](const QString &) {
        ServiceEngine::instance().beginSecondHalf([name, completion] { sendDelete(name, completion); });
    });
}

void ShareClient::getHistory(ShareOperation op, VorCompletion completion)
{
    ServiceEngine &engine = ServiceEngine::instance();
    engine.beginSecondHalf([op, completion = std::move(completion)] {
        if (op == ShareOperation::shorthistory || op == ShareOperation::allhistory) {
            sendHistory(op, completion);
            return;
        }
        clientState().lastErrorText = kNotImplemented;
        ServiceEngine::instance().deliverSecondHalf(completion, kNotImplemented);
    });
}

void ShareClient::setUser(const QString &colorName, const QColor &color, const QString &imageName,
                         VorCompletion completion)
{
    const QString text = colorText(colorName, color);
    ServiceEngine::instance().beginSecondHalf([text, imageName, completion = std::move(completion)] {
        sendSetUser(text, imageName, completion);
    });
}

const ShareClientState &ShareClient::state()
{
    return clientState();
}

int ShareClient::stalledTransferLimitMs()
{
    return g_stalledTransferMs;
}

void ShareClient::setStalledTransferLimitMs(int milliseconds)
{
    g_stalledTransferMs = milliseconds > 0 ? milliseconds : kDefaultStalledTransferMs;
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
