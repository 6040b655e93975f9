#include "helpers/Links.h"

#include <QAction>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cstdio>

namespace {
bool holdsWhiteSpace(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

bool isHostName(const QString &host)
{
    if (host.isEmpty() || host.startsWith(QLatin1Char('.')) || host.endsWith(QLatin1String("..")))
        return false;
    // QUrl in strict mode already rejects most junk; keep hosts to the characters
    // of DNS names and IP literals (it lower-cases and decodes them for us).
    return std::all_of(host.cbegin(), host.cend(), [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char(':')
               || c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('_');
    });
}
} // namespace

bool isValidURL(const QString &text)
{
    if (text.isEmpty() || holdsWhiteSpace(text))
        return false;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    // "https:example.com" has no authority; require the "//" form with a host.
    if (!text.mid(scheme.size()).startsWith(QLatin1String("://")))
        return false;
    return isHostName(url.host());
}

QString toolTipLink(QObject *sender)
{
    QString link;
    if (auto *action = qobject_cast<QAction *>(sender))
        link = action->toolTip();
    else if (auto *widget = qobject_cast<QWidget *>(sender))
        link = widget->toolTip();
    // The text comes from the sharing service's reply: only a web link may go on
    // to the browser, never a file: or script address.
    if (!isValidURL(link)) {
        std::fprintf(stderr, "invalid url\n");
        return QString();
    }
    return link;
}

bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}
