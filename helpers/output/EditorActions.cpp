#include "helpers/output/EditorActions.h"

#include "helpers/Clipboard.h"
#include "helpers/FilePanels.h"
#include "helpers/ImageOutput.h"
#include "helpers/OutputMessages.h"
#include "helpers/output/UploadHandOff.h"
#include "service/ServiceConfiguration.h"

#include <QFile>

// ---- Actions of the editor window --------------------------------------------------

void saveImageWithPanel(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    FilePanels::SaveRequest request;
    request.allowedFileTypes = {QStringLiteral("png")};
    const QString chosen = FilePanels::current().runSavePanel(request);
    if (chosen.isEmpty())
        return;
    // Nothing written, nothing announced: a failed write must not read as saved.
    const QString written = writeImage(chosen, image, figures, rect);
    if (written.isEmpty())
        return;
    postOutputMessage(OutputMessage::ImageSaved, QString(), {written, {}});
}

void uploadImage(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    if (!isConnectedToNetwork()) {
        postOutputMessage(OutputMessage::NoNetwork);
        return;
    }
    const QString written = writeImage(QString(), image, figures, rect);
    if (written.isEmpty()) {
        postOutputMessage(OutputMessage::UploadFileMissing);
        return;
    }
    startUpload(written);
}

void copyImageToClipboard(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    const QString written = writeImage(QString(), image, figures, rect);
    if (written.isEmpty()) {
        postOutputMessage(OutputMessage::ClipboardFailed);
        return;
    }
    QFile file(written);
    const QByteArray png = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    Clipboard::clear();
    const bool copied = Clipboard::putImage(png, QImage::fromData(png, "PNG"));
    postOutputMessage(copied ? OutputMessage::ImageCopied : OutputMessage::ClipboardFailed);
    QFile::remove(written);
}

