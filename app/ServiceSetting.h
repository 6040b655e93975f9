#pragma once

#include <QString>
#include <optional>

// `vornik --set-service URL [--ca-file FILE]`: the sharing service to upload to and the
// certificate to trust for it, kept in the preferences store ("serviceurl",
// "servicecafile") so that a Vornik started from the menu or at login uses the same
// server as one started from a terminal. VORNIK_SERVICE_URL and VORNIK_CA_FILE still
// override both.
struct ServiceSetting {
    QString url;     // http:// or https://, ending in "/"
    QString caFile;  // absolute path of a PEM certificate file, or empty

    // Checks what the user typed. Returns the settings to store, or nothing with the
    // reason in `problem`. A relative certificate path is made absolute, since a later
    // start from the menu runs in another folder.
    static std::optional<ServiceSetting> check(const QString &url, const QString &caFile, QString *problem);

    // Writes both keys and flushes the store to disk; false when the file did not take
    // them. An empty caFile clears an earlier one, which belonged to the previous server.
    static bool store(const ServiceSetting &choice);
};
