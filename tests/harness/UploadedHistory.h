#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// Helpers for tests that need uploads on a real vornik-server: uploads made through
// the client, and the service's own answer to a history request.
namespace vtest {

// Uploads `count` small PNG images of the given colors (cycled) through the client,
// one after another, and returns their links ("https://" + reply) oldest first. Each
// upload starts only once the clock has moved past the previous one's answer, so
// every upload has its own time and the service's newest-first order is the reverse
// of the returned list. An entry is empty when its upload did not answer with a link.
QStringList uploadImages(int count, const QList<QColor> &colors, int timeoutMs = 20000);

// The body of a salt-then-history chain (full or short), or "(no answer)".
QString historyReply(bool shortHistory, int timeoutMs = 20000);

// The addresses the service lists in the history reply, in reply order.
QStringList historyAddresses(bool shortHistory = false, int timeoutMs = 20000);

} // namespace vtest
