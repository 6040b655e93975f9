#include "service/WebPages.h"

#include "platform/Opener.h"
#include "service/ServiceConfiguration.h"

#include <QUrl>
#include <cstdio>

QString homePageUrl()
{
    return ServiceConfiguration::serviceBaseURL();
}

QString helpPageUrl()
{
    return homePageUrl() + QStringLiteral("help/screen-recording");
}

bool openWebPageText(Opener &opener, const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (url.isEmpty() || !parsed.isValid() || parsed.scheme().isEmpty()) {
        std::fprintf(stderr, "invalid url\n");
        return false;
    }
    const bool opened = opener.openUrl(parsed);
    if (opened)
        std::fprintf(stderr, "url successfully opened\n");
    return opened;
}
