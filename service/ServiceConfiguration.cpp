#include "service/ServiceConfiguration.h"

#include "app/Preferences.h"

#include <QFile>
#include <QHash>
#include <cstdio>

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
        configured = Preferences::standard().stringForKey(QStringLiteral("serviceurl"));
    return normalizedServiceURL(configured);
}

QString caFilePath()
{
    const QString fromEnvironment = qEnvironmentVariable("VORNIK_CA_FILE").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return Preferences::standard().stringForKey(QStringLiteral("servicecafile")).trimmed();
}

QList<QSslCertificate> certificatesInFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray contents = file.readAll();
    QList<QSslCertificate> certificates = QSslCertificate::fromData(contents, QSsl::Pem);
    if (certificates.isEmpty())
        certificates = QSslCertificate::fromData(contents, QSsl::Der);
    return certificates;
}

QSslConfiguration sslConfiguration()
{
    // Reading the file once per path keeps every request from touching the disk; a
    // changed setting (another path) is picked up on the next request.
    static QHash<QString, QList<QSslCertificate>> certificatesByPath;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    const QString path = caFilePath();
    if (path.isEmpty())
        return configuration;
    auto found = certificatesByPath.find(path);
    if (found == certificatesByPath.end()) {
        found = certificatesByPath.insert(path, certificatesInFile(path));
        if (found->isEmpty())
            std::fprintf(stderr, "Error: no certificate could be read from %s\n", qPrintable(path));
    }
    configuration.addCaCertificates(*found);
    return configuration;
}

} // namespace ServiceConfiguration
