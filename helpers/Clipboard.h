#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// The desktop clipboard as the output actions use it. Other programs read an image
// as image/png and a link as text/plain while Vornik runs (it keeps the ownership).
// The application makes one and hands it in; tests may hand in their own.
//
// Whether the desktop kept an offer is not always known at once: GNOME's and KDE's
// compositors take a selection only from a client whose surface has the keyboard and
// otherwise cancel it a moment later. So every put reports its outcome through a
// callback, called once, possibly before the put returns (X11, no desktop).
class Clipboard
{
public:
    // `held`: the clipboard holds what was offered.
    using Outcome = std::function<void(bool held)>;

    virtual ~Clipboard() = default;

    // Empties the clipboard.
    virtual void clear();

    // Offers `png` as image/png (and `image` to Qt programs, when given). Empty data
    // is never held.
    virtual void putImage(const QByteArray &png, const QImage &image = QImage(), Outcome outcome = {});

    // Offers a PNG made by `encode` when another program first reads it (a paste), so
    // the offer can be made at once, from a window that still has the keyboard, and
    // the picture encoded meanwhile. `encode` may be called more than once (it should
    // keep its result) and from the outcome too. Without such a desktop clipboard the
    // PNG is made at once and offered as putImage() does.
    virtual void putImageOnDemand(std::function<QByteArray()> encode, Outcome outcome = {});
    // Whether putImageOnDemand() really defers the encoding (a Wayland clipboard, where
    // it matters who has the keyboard when the offer is made).
    virtual bool offersBeforeEncoding() const;

    // Offers `link` as text/plain.
    virtual void putLink(const QString &link, Outcome outcome = {});
    // Offers any other text as text/plain: the same offer as a link's, so a Clipboard
    // handed in by a test sees it through putLink.
    void putText(const QString &text, Outcome outcome = {}) { putLink(text, std::move(outcome)); }

    // The formats of one offer, each with its bytes, and the picture for Qt programs.
    struct Offer {
        QList<QPair<QString, QByteArray>> formats;
        QImage image;
        std::function<QByteArray()> pngOnDemand;   // image/png, made when read
    };

private:
    void put(const Offer &offer, Outcome outcome);
};
