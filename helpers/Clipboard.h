#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The desktop clipboard as the output actions use it. Other programs read an image
// as image/png and a link as text/plain while Vornik runs (it keeps the ownership).
// The application makes one and hands it in; tests may hand in their own.
class Clipboard
{
public:
    virtual ~Clipboard() = default;

    // Empties the clipboard.
    virtual void clear();

    // Offers `png` as image/png (and `image` to Qt programs, when given). Returns
    // whether the clipboard now holds it: false for empty data or when the desktop
    // refused.
    virtual bool putImage(const QByteArray &png, const QImage &image = QImage());

    // Offers `link` as text/plain. Returns whether the clipboard now holds it.
    virtual bool putLink(const QString &link);
};
