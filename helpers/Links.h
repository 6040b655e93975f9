#pragma once

#include <QString>

// Whether `text` is exactly one web link: the whole text parses strictly as an
// http or https URL with a host, and holds no white space anywhere. Replies of the
// sharing service become links by prefixing "https://", so an error text such as
// "Error: File doesn't exist" must not pass for a link.
bool isValidURL(const QString &text);

class QObject;

// The web link held in the tool tip of a menu item or widget (the recent-upload
// entries keep their image address there), or an empty text, after printing
// "invalid url", when the tool tip is missing or not one web link.
QString toolTipLink(QObject *sender);

// True for the HTTP statuses of a request the service carried out (2xx).
bool isSuccessStatus(int status);
