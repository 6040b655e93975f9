#include "helpers/Notifier.h"

#include "helpers/ResourceImages.h"
#include "platform/Opener.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QHash>
#include <QIcon>
#include <QUrl>
#include <QVariantMap>
#include <cstdio>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The "image-data" hint: raw RGBA rows, as the notification protocol lays them out.
struct NotificationImage {
    QImage rgba;
};

QDBusArgument &operator<<(QDBusArgument &argument, const NotificationImage &image)
{
    const QImage &rgba = image.rgba;
    argument.beginStructure();
    argument << rgba.width() << rgba.height() << int(rgba.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(rgba.constBits()), int(rgba.sizeInBytes()));
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, NotificationImage &)
{
    return argument; // only ever sent
}
} // namespace

Q_DECLARE_METATYPE(NotificationImage)

namespace {
// Action keys and their labels, as the Notify call lists them.
QStringList actionsFor(const NotificationSubject &subject)
{
    QStringList actions;
    if (!subject.file.isEmpty())
        //: A button of the notification about a saved file: opens the file.
        actions << QStringLiteral("open") << QCoreApplication::translate("Notifier", "Open")
                << QStringLiteral("show-in-folder") << QCoreApplication::translate("Notifier", "Show in folder");
    if (!subject.link.isEmpty())
        actions << QStringLiteral("open-link") << QCoreApplication::translate("Notifier", "Open link");
    for (const NotificationAction &action : subject.actions)
        actions << action.key << action.label;
    return actions;
}

QVariantMap hintsFor()
{
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kNotificationIconName));
    // Where no icon theme knows the name, the server gets the picture itself.
    if (!QIcon::hasThemeIcon(QString::fromLatin1(kNotificationIconName))) {
        static const NotificationImage camera{
            imageNamed(QStringLiteral("AppIcon"), QSize(64, 64)).convertToFormat(QImage::Format_RGBA8888)};
        if (!camera.rgba.isNull()) {
            qDBusRegisterMetaType<NotificationImage>();
            hints.insert(QStringLiteral("image-data"), QVariant::fromValue(camera));
        }
    }
    return hints;
}

} // namespace

Notifier::Notifier(std::shared_ptr<Opener> opener, QObject *parent)
    : QObject(parent)
    , m_opener(std::move(opener))
{
}

void Notifier::setFallback(Fallback fallback)
{
    m_fallback = std::move(fallback);
}

void Notifier::postWithoutBus(const QString &subtitle, const QString &text)
{
    const QString title = QString::fromLatin1(kNotificationTitle);
    if (m_fallback && m_fallback(title, subtitle, text))
        return;
    std::fprintf(stderr, "%s: %s: %s\n", qPrintable(title), qPrintable(subtitle), qPrintable(text));
}

// Listens on `bus` for the server's signals about actions (once per bus).
void Notifier::watchActions(QDBusConnection bus)
{
    if (m_watchedBuses.contains(bus.name()))
        return;
    m_watchedBuses.append(bus.name());
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void Notifier::actionInvoked(uint id, const QString &key)
{
    const NotificationSubject subject = m_subjects.value(id);
    if (key == QLatin1String("open") && !subject.file.isEmpty())
        m_opener->openUrl(QUrl::fromLocalFile(subject.file));
    else if (key == QLatin1String("show-in-folder") && !subject.file.isEmpty())
        m_opener->showInFolder(subject.file);
    else if (key == QLatin1String("open-link") && !subject.link.isEmpty())
        m_opener->openUrl(QUrl(subject.link));
    for (const NotificationAction &action : subject.actions) {
        if (action.key != key)
            continue;
        if (action.run)
            action.run();
        else
            emit actionRequested(key);
    }
}

void Notifier::notificationClosed(uint id, uint)
{
    m_subjects.remove(id);
}

void Notifier::sendNotify(QDBusConnection bus, const QString &subtitle, const QString &text,
                          const NotificationSubject &subject, ServerAbilities server)
{
    // Texts hold file paths and server replies: a server that reads markup must not
    // take "&" or "<" in them for markup.
    const QString body = server.markup ? text.toHtmlEscaped() : text;
    const QStringList actions = server.actions ? actionsFor(subject) : QStringList();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << QString::fromLatin1(kNotificationTitle) << uint(0) << QString::fromLatin1(kNotificationIconName)
         << subtitle << body << actions << hintsFor() << int(-1);
    if (!actions.isEmpty())
        watchActions(bus);
    // Asynchronous, so a slow notification daemon never freezes the interface; when
    // nobody answers, the fallback shows the same words.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, subtitle, text, subject, withActions = !actions.isEmpty()](QDBusPendingCallWatcher *self) {
                const QDBusPendingReply<uint> reply = *self;
                if (reply.isError())
                    postWithoutBus(subtitle, text);
                else if (withActions)
                    m_subjects.insert(reply.value(), subject);
                self->deleteLater();
            });
}

void Notifier::post(const QString &subtitle, const QString &text, const NotificationSubject &subject)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        postWithoutBus(subtitle, text);
        return;
    }
    // Ask the server (which may have changed since the last notification) what it
    // can do, then send. Replies come back in the order the calls went out, so
    // notifications keep their order.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, bus, subtitle, text, subject](QDBusPendingCallWatcher *self) {
        const QDBusPendingReply<QStringList> reply = *self;
        if (reply.isError()) {
            postWithoutBus(subtitle, text);
        } else {
            const QStringList capabilities = reply.value();
            sendNotify(bus, subtitle, text, subject,
                       {capabilities.contains(QStringLiteral("body-markup")),
                        capabilities.contains(QStringLiteral("actions"))});
        }
        self->deleteLater();
    });
}
