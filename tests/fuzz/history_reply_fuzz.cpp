// libFuzzer target: the client's reading of a history reply.
#include "service/HistoryReply.h"
#include "service/ServiceConfiguration.h"

#include <cstdint>

// The configured address is not what is fuzzed; the target links the reader alone.
QString ServiceConfiguration::serviceBaseURL()
{
    return QStringLiteral("https://localhost:8443/");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString body = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<HistoryEntry> entries = parseHistoryReply(body, QStringLiteral("https://h/"), QLocale::c(), QTimeZone::utc());
    for (const HistoryEntry &entry : entries) {
        if (!entry.address.startsWith(QStringLiteral("https://h/")) || entry.uploadTime.isEmpty())
            __builtin_trap();
    }
    return 0;
}
