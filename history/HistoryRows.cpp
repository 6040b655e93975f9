#include "history/HistoryRows.h"

#include "service/HistoryReply.h"

#include <QCoreApplication>
#include <QFile>

QList<QStringList> historyRowsFromReply(const QString &replyText, const QString &baseURL)
{
    QList<QStringList> rows;
    const QList<HistoryEntry> entries = parseHistoryReply(replyText, baseURL);
    rows.reserve(entries.size());
    for (const HistoryEntry &entry : entries) {
        const QString noImage = QCoreApplication::translate("HistoryRows", "no image code for");
        const QString address = entry.name.isEmpty() ? noImage + entry.rawValue
                                                      : entry.address;
        rows.append({address, entry.uploadTime});
    }
    return rows;
}

bool isCurrentBannerImage(const QString &address, const QString &bannerURL)
{
    if (address.contains(QStringLiteral("_bannerimage")) && QFile::exists(address))
        return true;
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    QString compared = colon < 0 ? address : address.mid(colon + 1);
    compared.remove(QLatin1Char('"'));
    // Every text contains the empty text: without this, a row such as "x:" would
    // pass for the banner whatever the banner is.
    return !compared.isEmpty() && bannerURL.contains(compared);
}

QString imageNameForAddress(const QString &address, const QString &baseURL)
{
    QString name = address;
    name.remove(QStringLiteral(".png"));
    if (!baseURL.isEmpty())
        name.remove(baseURL);
    return name;
}

QStringList droppedAddresses(const QString &text)
{
    QStringList addresses;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            addresses.append(line);
    }
    return addresses;
}
