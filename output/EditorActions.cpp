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
#include <memory>

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
    // The window still has the keyboard here, which GNOME and KDE ask of the client
    // that sets the selection. Their answer may come after the editor closed; a refusal
    // then keeps the picture in a file and says where.
    auto refused = std::make_shared<bool>(false);
    copyPictureToClipboard(desktop, png, exported, [refused](bool held) { *refused = !held; });
    return !*refused;
}

