#pragma once

#include <QString>

class Reachability;

// Where the sharing service lives and which certificates to trust for it.
namespace ServiceConfiguration {

// The local server that scripts/run.sh starts.
inline constexpr const char *kDefaultServiceURL = "https://localhost:8443/";

// The service address from its configured text (empty: the default), trimmed and
// always ending in "/".
QString normalizedServiceURL(const QString &configured);

// VORNIK_SERVICE_URL, else the preferences key "serviceurl", else the default.
QString serviceBaseURL();

// Whether the user chose a service (VORNIK_SERVICE_URL or "serviceurl"); when not,
// serviceBaseURL is the local default, which a desktop without scripts/run.sh lacks.
bool isConfigured();

// The extra CA certificate file to trust: VORNIK_CA_FILE, else the preferences key
// "servicecafile"; empty when neither is set.
QString caFilePath();

} // namespace ServiceConfiguration

// Whether the sharing service can be reached at all (`reachability`, asked about the
// configured service address), as callers write it before a request.
bool isConnectedToNetwork(const Reachability &reachability);
