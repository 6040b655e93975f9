#include "output/EditorActions.h"

#include "platform/Preferences.h"
#include "helpers/Clipboard.h"
#include "helpers/FilePanels.h"
#include "helpers/ImageOutput.h"
#include "helpers/OutputMessages.h"
#include "helpers/SaveFolder.h"
#include "output/UploadHandOff.h"
#include "service/ServiceConfiguration.h"
#include "platform/SettingsKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

// ---- Actions of the editor window --------------------------------------------------

bool saveImageWithPanel(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    FilePanels::SaveRequest request;
    request.allowedFileTypes = {QStringLiteral("png")};
    request.defaultSuffix = QStringLiteral("png");
    // The panel opens where the user last saved, at first in the pictures folder.
    const QString lastFolder = Preferences::standard().stringForKey(SettingsKeys::lastSaveFolder);
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir()) {
        request.directory = lastFolder;
    } else {
        request.directory = SaveFolder::folder();
        QDir().mkpath(request.directory);
    }
    request.proposedName = SaveFolder::fileName(QDateTime::currentDateTime());
    const QString chosen = FilePanels::current().runSavePanel(request);
    if (chosen.isEmpty())
        return false;
    // Nothing written, nothing announced: a failed write must not read as saved.
    const QString written = writeImage(chosen, image, figures, rect);
    if (written.isEmpty())
        return false;
    Preferences::standard().setString(SettingsKeys::lastSaveFolder, QFileInfo(written).absolutePath());
    postOutputMessage(OutputMessage::ImageSaved, QString(), {written, {}});
    return true;
}

bool uploadImage(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    if (!isConnectedToNetwork()) {
        postOutputMessage(OutputMessage::NoNetwork);
        return false;
    }
    const QString written = writeImage(QString(), image, figures, rect);
    if (written.isEmpty()) {
        postOutputMessage(OutputMessage::UploadFileMissing);
        return false;
    }
    startUpload(written);
    return true;
}

bool copyImageToClipboard(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    // Encoded once in memory: no file to write, read back and decode again, and the
    // picture offered beside the bytes is the exported one itself.
    const QImage exported = exportImage(image, figures, rect);
    const QByteArray png = encodePNG(exported);
    if (png.isEmpty()) {
        postOutputMessage(OutputMessage::ClipboardFailed);
        return false;
    }
    Clipboard::clear();
    const bool copied = Clipboard::putImage(png, exported);
    postOutputMessage(copied ? OutputMessage::ImageCopied : OutputMessage::ClipboardFailed);
    return copied;
}

