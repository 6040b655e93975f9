#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>

// The desktop clipboard as the output actions use it. Other programs read an image
// as image/png and a link as text/plain while Vornik runs (it keeps the ownership).
namespace Clipboard {

// Empties the clipboard.
void clear();

// Offers `png` as image/png (and `image` to Qt programs, when given). Returns whether
// the clipboard now holds it: false for empty data or when the desktop refused.
bool putImage(const QByteArray &png, const QImage &image = QImage());

// Offers `link` as text/plain. Returns whether the clipboard now holds it.
bool putLink(const QString &link);

// Tests stand in for the desktop's answer to putLink here; an empty writer goes back
// to the clipboard.
using LinkWriter = std::function<bool(const QString &link)>;
void setLinkWriter(LinkWriter writer);

} // namespace Clipboard
