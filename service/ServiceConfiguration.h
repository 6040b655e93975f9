#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>

// Where the sharing service lives and which certificates to trust for it.
namespace ServiceConfiguration {

// The local server that scripts/run.sh starts.
inline constexpr const char *kDefaultServiceURL = "https://localhost:8443/";

// The service address from its configured text (empty: the default), trimmed and
// always ending in "/".
QString normalizedServiceURL(const QString &configured);

// VORNIK_SERVICE_URL, else the preferences key "serviceurl", else the default.
QString serviceBaseURL();

// The extra CA certificate file to trust: VORNIK_CA_FILE, else the preferences key
// "servicecafile"; empty when neither is set.
QString caFilePath();

// The certificates in a PEM or DER file; empty when it holds none.
QList<QSslCertificate> certificatesInFile(const QString &path);

// The system's TLS configuration with the configured CA added. Peer verification
// stays on whatever is configured.
QSslConfiguration sslConfiguration();

} // namespace ServiceConfiguration
