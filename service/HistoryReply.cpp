#include "service/HistoryReply.h"

#include "service/ServiceConfiguration.h"

#include <QDateTime>
#include <cmath>

namespace {
// The widest span of times a date can hold (about 273,000 years either side of
// 1970); anything larger is not an upload time.
constexpr double kLargestMilliseconds = 8.64e15;

QString withoutQuotes(QString text)
{
    return text.remove(QLatin1Char('"'));
}
} // namespace

QString formatUploadTime(qint64 millisecondsSinceEpoch, const QLocale &locale, const QTimeZone &zone)
{
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(millisecondsSinceEpoch, zone);
    // The 24-hour hour followed by the AM/PM marker is how the service's own pages
    // have always shown times; "t" is the zone's abbreviation.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return locale.toString(time, QStringLiteral("MMM dd, yyyy H:mm AP t"));
    // Other languages get their own order of day, month and year and their own clock,
    // with the year in full (a history reaches back years) and the zone as above.
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(time, date + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat) + QStringLiteral(" t"));
}

QList<HistoryEntry> parseHistoryReply(const QString &body, const QString &baseURL, const QLocale &locale,
                                      const QTimeZone &zone)
{
    QString rest = body;
    rest.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    QList<HistoryEntry> entries;
    if (rest.isEmpty())
        return entries;
    const QStringList pieces = rest.split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        const QStringList parts = piece.split(QLatin1Char(':'));
        if (parts.size() < 2)
            continue;
        bool isNumber = false;
        const double milliseconds = withoutQuotes(parts.at(0)).toDouble(&isNumber);
        if (!isNumber || !std::isfinite(milliseconds) || std::fabs(milliseconds) > kLargestMilliseconds)
            continue;
        HistoryEntry entry;
        entry.rawValue = parts.at(1);
        entry.name = withoutQuotes(parts.at(1));
        entry.address = baseURL + entry.name + QStringLiteral(".png");
        entry.uploadTime = formatUploadTime(qint64(std::floor(milliseconds)), locale, zone);
        entries.append(entry);
    }
    return entries;
}

QList<HistoryEntry> parseHistoryReply(const QString &body)
{
    return parseHistoryReply(body, ServiceConfiguration::serviceBaseURL());
}
