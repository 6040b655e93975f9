#include "platform/PortalGlobalShortcuts.h"

#include "platform/PortalCapture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QRandomGenerator>

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr int kCallTimeoutMs = 5000;
const QString kSessionToken = QStringLiteral("vornik_shortcuts");

// Letters, digits and '_' only: the portal puts tokens into object paths.
QString newToken(const char *prefix)
{
    return QStringLiteral("vornik_%1_%2").arg(QLatin1String(prefix)).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    Q_UNUSED(registered);
}
} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QObject *parent)
    : QObject(parent)
{
    registerTypes();
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    stopListening();
    if (!m_session.isEmpty())
        QDBusConnection::sessionBus().send(QDBusMessage::createMethodCall(
            kService, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
}

bool PortalGlobalShortcuts::available()
{
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    // Only a portal already running is asked: activating one to learn this would start
    // whatever the machine has installed.
    if (!QDBusConnection::sessionBus().interface()
        || !QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value())
        return false;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void PortalGlobalShortcuts::bind(const QList<PortalShortcut> &shortcuts)
{
    m_wanted = shortcuts;
    m_held.clear();
    QDBusConnection bus = QDBusConnection::sessionBus();
    // KDE Plasma 5.27's back end registers only the shortcuts named here (it ignores
    // BindShortcuts' list) under a component named after the session token, and asks
    // the user to confirm each new component in System Settings: the same token at
    // every start registers Vornik once.
    const QVariantMap options{{QStringLiteral("session_handle_token"), kSessionToken},
                              {QStringLiteral("shortcuts"), QVariant::fromValue(m_wanted)}};
    if (!request(QStringLiteral("CreateSession"), {options}, SLOT(handleSessionCreated(uint, QVariantMap))))
        return;
    bus.connect(kService, kObjectPath, kInterface, QStringLiteral("Activated"), this,
                SLOT(handleActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus.connect(kService, kObjectPath, kInterface, QStringLiteral("Deactivated"), this,
                SLOT(handleDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

bool PortalGlobalShortcuts::request(const QString &method, QList<QVariant> arguments, const char *slot)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    stopListening();
    const QString token = newToken("request");
    QVariantMap options = arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    // Listen before asking: the portal may answer before the call returns.
    m_requestPath = PortalScreenshot::requestPath(bus.baseService(), token);
    m_responseSlot = slot;
    if (!bus.connect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this, slot)) {
        emit failed(QStringLiteral("cannot listen to the global shortcuts portal"));
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObjectPath, kInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        stopListening();
        emit failed(QStringLiteral("the global shortcuts portal refused %1: %2").arg(method, reply.errorMessage()));
        return false;
    }
    return true;
}

void PortalGlobalShortcuts::stopListening()
{
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                                             m_responseSlot);
    m_requestPath.clear();
}

void PortalGlobalShortcuts::handleSessionCreated(uint response, const QVariantMap &results)
{
    stopListening();
    m_session = results.value(QStringLiteral("session_handle")).toString();
    if (response != 0 || m_session.isEmpty()) {
        emit failed(QStringLiteral("the global shortcuts portal opened no session (response %1)").arg(response));
        return;
    }
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(m_wanted), QString(), QVariantMap()},
            SLOT(handleBound(uint, QVariantMap)));
}

void PortalGlobalShortcuts::handleBound(uint response, const QVariantMap &results)
{
    stopListening();
    if (response != 0) {
        emit failed(response == 1 ? QStringLiteral("the global shortcuts were declined")
                                  : QStringLiteral("the global shortcuts portal failed (response %1)").arg(response));
        return;
    }
    const QList<PortalShortcut> shortcuts = shortcutsOf(results);
    if (!shortcuts.isEmpty()) {
        emit bound(shortcuts);
        return;
    }
    // An empty answer may still leave the keys bound (KDE's back end binds those
    // CreateSession named and answers BindShortcuts with none): the session's list says.
    request(QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()},
            SLOT(handleListed(uint, QVariantMap)));
}

void PortalGlobalShortcuts::handleListed(uint response, const QVariantMap &results)
{
    stopListening();
    const QList<PortalShortcut> shortcuts = response == 0 ? shortcutsOf(results) : QList<PortalShortcut>();
    if (shortcuts.isEmpty()) {
        emit failed(QStringLiteral("the global shortcuts portal bound no shortcuts"));
        return;
    }
    emit bound(shortcuts);
}

QList<PortalShortcut> PortalGlobalShortcuts::shortcutsOf(const QVariantMap &results)
{
    QList<PortalShortcut> shortcuts;
    const QVariant given = results.value(QStringLiteral("shortcuts"));
    if (given.canConvert<QDBusArgument>())
        given.value<QDBusArgument>() >> shortcuts;
    return shortcuts;
}

void PortalGlobalShortcuts::handleActivated(const QDBusObjectPath &session, const QString &id, qulonglong,
                                            const QVariantMap &)
{
    if (session.path() == m_session && !m_session.isEmpty())
        m_held.insert(id);
}

void PortalGlobalShortcuts::handleDeactivated(const QDBusObjectPath &session, const QString &id, qulonglong,
                                              const QVariantMap &)
{
    // A release without its press (the keys were held when the session began) is not a
    // request; nor is one of another application's session.
    if (session.path() != m_session || m_session.isEmpty() || !m_held.remove(id))
        return;
    emit released(id);
}
