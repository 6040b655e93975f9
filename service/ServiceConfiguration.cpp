#include "service/ServiceConfiguration.h"

#include "platform/Preferences.h"
#include "platform/Reachability.h"
#include "platform/SettingsKeys.h"

namespace ServiceConfiguration {

QString normalizedServiceURL(const QString &configured)
{
    QString url = configured.trimmed();
    if (url.isEmpty())
        url = QString::fromLatin1(kDefaultServiceURL);
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}

QString serviceBaseURL()
{
    QString configured = qEnvironmentVariable("VORNIK_SERVICE_URL").trimmed();
    if (configured.isEmpty())
        configured = Preferences::standard().stringForKey(SettingsKeys::serviceUrl);
    return normalizedServiceURL(configured);
}

bool isConfigured()
{
    return !qEnvironmentVariable("VORNIK_SERVICE_URL").trimmed().isEmpty()
           || !Preferences::standard().stringForKey(SettingsKeys::serviceUrl).trimmed().isEmpty();
}

QString caFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("VORNIK_CA_FILE").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return Preferences::standard().stringForKey(SettingsKeys::serviceCaFile).trimmed();
}

} // namespace ServiceConfiguration

bool isConnectedToNetwork(const Reachability &reachability)
{
    return reachability.isConnectedToNetwork(ServiceConfiguration::serviceBaseURL());
}
