#include "output/EditorActions.h"

#include "platform/Preferences.h"
#include "helpers/DesktopServices.h"
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

bool saveImageWithPanel(const DesktopServices &desktop, const QImage &image, const FigureRects &figures, const QRectF &rect)
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
    const QString chosen = desktop.filePanels->runSavePanel(request);
    if (chosen.isEmpty())
        return false;
    // Nothing written, nothing announced: a failed write must not read as saved.
    const QString written = writeImage(chosen, image, figures, rect);
    if (written.isEmpty())
        return false;
    Preferences::standard().setString(SettingsKeys::lastSaveFolder, QFileInfo(written).absolutePath());
    postOutputMessage(*desktop.notifier, OutputMessage::ImageSaved, QString(), {written, {}});
    return true;
}

bool uploadImage(const DesktopServices &desktop, const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    if (!isConnectedToNetwork(*desktop.reachability)) {
        postOutputMessage(*desktop.notifier, OutputMessage::NoNetwork);
        return false;
    }
    const QString written = writeImage(QString(), image, figures, rect);
    if (written.isEmpty()) {
        postOutputMessage(*desktop.notifier, OutputMessage::UploadFileMissing);
        return false;
    }
    startUpload(desktop, written);
    return true;
}

bool copyImageToClipboard(const DesktopServices &desktop, const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    // Encoded once in memory: no file to write, read back and decode again, and the
    // picture offered beside the bytes is the exported one itself.
    const QImage exported = exportImage(image, figures, rect);
    const QByteArray png = encodePNG(exported);
    if (png.isEmpty()) {
        postOutputMessage(*desktop.notifier, OutputMessage::ClipboardFailed);
        return false;
    }
    desktop.clipboard->clear();
    const bool copied = desktop.clipboard->putImage(png, exported);
    postOutputMessage(*desktop.notifier, copied ? OutputMessage::ImageCopied : OutputMessage::ClipboardFailed);
    return copied;
}

