#pragma once

#include <QString>

// Whether `text` is exactly one web link: the whole text parses strictly as an
// http or https URL with a host, and holds no white space anywhere. Replies of the
// sharing service become links by prefixing "https://", so an error text such as
// "Error: File doesn't exist" must not pass for a link.
bool isValidURL(const QString &text);
