#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Plain pieces of the history window that need no screen: the rows a history reply
// gives, and how a dropped address becomes a deletion.

// One row per entry of the reply, in reply order: [address, formatted time]. An entry
// without an image name shows "no image code for" followed by its raw value (quotes
// and all) instead of an address.
QList<QStringList> historyRowsFromReply(const QString &replyText, const QString &baseURL);

// Whether `address` is the user's current banner image, which the window must not
// delete: a temporary banner file that still exists, or an address the stored banner
// address ("bannerurl") contains, compared from the text after its first ":" (the
// scheme is left out; quotes are ignored). An empty comparison text never matches.
bool isCurrentBannerImage(const QString &address, const QString &bannerURL);

// The image name the service knows an address by: every ".png" and every occurrence
// of the service address removed.
QString imageNameForAddress(const QString &address, const QString &baseURL);

// The addresses a drop carries, one per dragged row, with empty lines left out. A
// carriage return ending a line (text from other programs) is not part of it.
QStringList droppedAddresses(const QString &text);
