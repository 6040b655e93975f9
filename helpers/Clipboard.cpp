#include "helpers/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

const QString kPngType = QStringLiteral("image/png");

QClipboard *desktopClipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

// On X11 another program can only read what we own; elsewhere (offscreen, tests)
// the clipboard lives in this process and ownership is not reported.
bool holdsOwnership(QClipboard *board)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    return board->ownsClipboard();
}

} // namespace

void Clipboard::clear()
{
    if (QClipboard *board = desktopClipboard())
        board->clear(QClipboard::Clipboard);
}

bool Clipboard::putImage(const QByteArray &png, const QImage &image)
{
    QClipboard *board = desktopClipboard();
    if (!board || png.isEmpty())
        return false;
    auto *data = new QMimeData;
    // The encoded bytes are offered as they are, so a paste never waits for an encode.
    data->setData(kPngType, png);
    if (!image.isNull())
        data->setImageData(image);
    board->setMimeData(data, QClipboard::Clipboard);
    const QMimeData *now = board->mimeData(QClipboard::Clipboard);
    return holdsOwnership(board) && now && now->data(kPngType) == png;
}

bool Clipboard::putLink(const QString &link)
{
    QClipboard *board = desktopClipboard();
    if (!board || link.isEmpty())
        return false;
    board->setText(link, QClipboard::Clipboard);
    return holdsOwnership(board) && board->text(QClipboard::Clipboard) == link;
}
