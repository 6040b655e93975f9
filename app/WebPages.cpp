#include "app/WebPages.h"

#include "app/Preferences.h"
#include "platform/Opener.h"

#include <QUrl>
#include <cstdio>

namespace {
QString withTrailingSlash(QString url)
{
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}
} // namespace

QString homePageUrl()
{
    const QString fromEnvironment = qEnvironmentVariable("VORNIK_SERVICE_URL");
    if (!fromEnvironment.isEmpty())
        return withTrailingSlash(fromEnvironment);
    // Read without storing: the setting stays absent until the user sets it.
    const QString fromSettings = Preferences::standard().stringForKey(QStringLiteral("serviceurl"));
    if (!fromSettings.isEmpty())
        return withTrailingSlash(fromSettings);
    return QStringLiteral("https://localhost:8443/");
}

QString helpPageUrl()
{
    return homePageUrl() + QStringLiteral("help/screen-recording");
}

bool openWebPageText(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (url.isEmpty() || !parsed.isValid() || parsed.scheme().isEmpty()) {
        std::fprintf(stderr, "invalid url\n");
        return false;
    }
    const bool opened = Opener::openUrl(parsed);
    if (opened)
        std::fprintf(stderr, "url successfully opened\n");
    return opened;
}
