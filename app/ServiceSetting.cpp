#include "app/ServiceSetting.h"

#include "platform/Preferences.h"
#include "service/ServiceConfiguration.h"
#include "platform/SettingsKeys.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

bool checkUrl(const QString &text, QString *problem)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || url.host().isEmpty()) {
        //: %1 is the address as given.
        *problem = QCoreApplication::translate("ServiceSetting", "%1 is not an http:// or https:// address").arg(text);
        return false;
    }
    if (url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty()) {
        //: %1 is the address as given.
        *problem = QCoreApplication::translate("ServiceSetting",
                                               "%1: the service address takes no user, query or fragment")
                       .arg(text);
        return false;
    }
    return true;
}

bool checkCertificateFile(const QString &path, QString *problem)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        //: %1 is the certificate file.
        *problem = QCoreApplication::translate("ServiceSetting", "cannot read the certificate file %1").arg(path);
        return false;
    }
    // Certificate bundles are small; a megabyte is plenty to find the first one.
    if (!file.read(1 << 20).contains("-----BEGIN CERTIFICATE-----")) {
        //: %1 is the certificate file.
        *problem = QCoreApplication::translate("ServiceSetting", "%1 holds no PEM certificate").arg(path);
        return false;
    }
    return true;
}

} // namespace

std::optional<ServiceSetting> ServiceSetting::check(const QString &url, const QString &caFile, QString *problem)
{
    if (!checkUrl(url, problem))
        return std::nullopt;
    ServiceSetting choice;
    choice.url = ServiceConfiguration::normalizedServiceURL(url);
    if (!caFile.isEmpty()) {
        choice.caFile = QFileInfo(caFile).absoluteFilePath();
        if (!checkCertificateFile(choice.caFile, problem))
            return std::nullopt;
    }
    return choice;
}

bool ServiceSetting::store(const ServiceSetting &choice)
{
    Preferences &preferences = Preferences::standard();
    preferences.setString(SettingsKeys::serviceUrl, choice.url);
    preferences.setString(SettingsKeys::serviceCaFile, choice.caFile);
    return preferences.synchronize();
}
