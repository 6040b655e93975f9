#include "service/HttpTransport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPluginLoader>
#include <QPointer>
#include <cstdio>

namespace {

constexpr const char *kModuleFileName = "vornik-transport.so";

// Answers every request with the reason the module is missing, so uploads and
// history fail visibly instead of waiting for ever.
class UnavailableTransport : public QObject, public HttpTransport
{
public:
    explicit UnavailableTransport(QString reason)
        : m_reason(std::move(reason))
    {
    }

    quint64 start(const HttpRequest &, Handler done) override
    {
        const quint64 id = m_nextId++;
        m_waiting.insert(id, std::move(done));
        QMetaObject::invokeMethod(this, [this, id] {
            const Handler done = m_waiting.take(id);
            if (!done)
                return;
            HttpResponse response;
            response.transportFailed = true;
            response.fault = TransportFault::Other;
            response.failed = true;
            response.errorText = m_reason;
            done(response);
        }, Qt::QueuedConnection);
        return id;
    }

    void abort(quint64 id) override { m_waiting.remove(id); }
    void shutDown() override { m_waiting.clear(); }

private:
    QString m_reason;
    QHash<quint64, Handler> m_waiting;
    quint64 m_nextId = 1;
};

QStringList applicationFolders()
{
    QStringList folders;
    const QString applicationFolder = QCoreApplication::applicationDirPath();
    folders << applicationFolder << applicationFolder + QStringLiteral("/../lib/vornik");
#ifdef VORNIK_BUILD_MODULE_DIR
    folders << QStringLiteral(VORNIK_BUILD_MODULE_DIR);
#endif
    return folders;
}

// Where the module may be: only in VORNIK_MODULE_DIR when that is set; otherwise
// beside the executable, in the installed layout's lib/vornik, and in the build tree
// this binary came from.
QStringList moduleCandidates()
{
    const QString configured = qEnvironmentVariable("VORNIK_MODULE_DIR");
    const QStringList folders = configured.isEmpty() ? applicationFolders() : QStringList{configured};
    QStringList candidates;
    for (const QString &folder : folders)
        candidates << QDir(folder).filePath(QLatin1String(kModuleFileName));
    return candidates;
}

HttpTransport *loadTransport()
{
    QString problem = QStringLiteral("%1 was not found").arg(QLatin1String(kModuleFileName));
    for (const QString &candidate : moduleCandidates()) {
        if (!QFileInfo::exists(candidate))
            continue;
        // Never unloaded: handlers and connections live as long as the process.
        auto *loader = new QPluginLoader(candidate);
        if (auto *transport = qobject_cast<HttpTransport *>(loader->instance()))
            return transport;
        problem = loader->errorString();
        delete loader;
    }
    std::fprintf(stderr, "vornik: the network module could not be loaded (%s); uploads and history are unavailable\n",
                 qPrintable(problem));
    return new UnavailableTransport(QStringLiteral("Error: the network module could not be loaded: ") + problem);
}

HttpTransport *g_transport = nullptr;

void shutDownTransport()
{
    if (g_transport)
        g_transport->shutDown();
}

} // namespace

HttpTransport &HttpTransport::shared()
{
    if (!g_transport) {
        g_transport = loadTransport();
        qAddPostRoutine(shutDownTransport);
    }
    return *g_transport;
}

bool HttpTransport::isLoaded()
{
    return g_transport != nullptr;
}
