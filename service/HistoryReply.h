#pragma once

#include "service/HistoryEntry.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QTimeZone>

// Takes a history reply ({"millis":"name",...}) apart with plain text operations,
// the way the service writes it: no JSON reader, nothing trimmed, a value holding
// ":" or "," is cut there, and pieces whose key is not a number are skipped.
// Entries keep the order of the reply. Both the recent-uploads menu and the history
// window read replies through this one function.
QList<HistoryEntry> parseHistoryReply(const QString &body, const QString &baseURL,
                                      const QLocale &locale = QLocale(),
                                      const QTimeZone &zone = QTimeZone::systemTimeZone());

// Formats an upload time like "Mar 05, 2024 14:07 PM CET": month, day, year, the
// 24-hour hour, minutes, the AM/PM marker and the zone's abbreviation.
QString formatUploadTime(qint64 millisecondsSinceEpoch, const QLocale &locale = QLocale(),
                         const QTimeZone &zone = QTimeZone::systemTimeZone());

// Overload that uses the configured service address.
QList<HistoryEntry> parseHistoryReply(const QString &body);
