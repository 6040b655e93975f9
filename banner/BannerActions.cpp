#include "banner/BannerActions.h"

#include "platform/Preferences.h"
#include "banner/BannerChanges.h"
#include "banner/ModalRuns.h"
#include "banner/BannerColorWindow.h"
#include "banner/BannerPreview.h"
#include "helpers/ImageOutput.h"
#include "helpers/Links.h"
#include "helpers/Notifier.h"
#include "helpers/TempFolder.h"
#include "helpers/NamedColors.h"
#include "helpers/ResourceImages.h"
#include "platform/SettingsKeys.h"
#include "service/ShareClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

const QString kBannerFileMark = QStringLiteral("_bannerimage.png");

Preferences &defaults()
{
    return Preferences::standard();
}

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

// What a set-user answer leaves as the banner chain's result: the service's text, or
// the system's description when no answer came at all.
QString setUserResult(const ShareReply &reply)
{
    return reply.error == ShareError::Transport ? reply.errorText : reply.body;
}

} // namespace

struct BannerActions::State {
    // Banner files whose upload has been asked for but not yet answered.
    QStringList filesBeingSent;
    QString lastResult;
    DesktopServices desktop;
    BannerChanges changes;
};

BannerActions::BannerActions(DesktopServices desktop)
    : m_state(std::make_shared<State>())
{
    m_state->desktop = std::move(desktop);
}

const DesktopServices &BannerActions::desktop() const
{
    return m_state->desktop;
}

BannerChanges &BannerActions::changes() const
{
    return m_state->changes;
}

void BannerActions::announceChange() const
{
    emit m_state->changes.changed();
}

void BannerActions::postFileSaveError() const
{
    m_state->desktop.notifier->post(
        QCoreApplication::translate("BannerActions", "File Save Error"),
        QCoreApplication::translate("BannerActions", "Your banner image couldn't be saved on your computer."));
}

// Removes the older banner files, except `written`, the current banner and those
// still waiting to be sent.
void BannerActions::cleanOlderBannerFiles(const QString &written, BannerForm form) const
{
    QStringList keep = m_state->filesBeingSent;
    keep << written << defaults().stringForKey(SettingsKeys::bannerPath);
    cleanBannerFiles(TempFolder::finalImagesFolder(), form, keep);
}

// Writes `image` as a new banner file; older ones go only once the new one exists.
QString BannerActions::writeNewBannerFile(const QImage &image, BannerForm form) const
{
    if (!TempFolder::ensureFinalImagesFolder())
        return QString();
    const QString path = TempFolder::bannerImagePath();
    if (!writePNG(image, path))
        return QString();
    cleanOlderBannerFiles(path, form);
    return path;
}

// Upload, then bannerUploaded; `setUserDone` takes the set-user result.
void BannerActions::sendBanner(const QString &path, const QString &colorName, SetUserDone setUserDone)
{
    ShareClient::getUserID();
    m_state->filesBeingSent.append(path);
    // The reply keeps this state alive through its own copy of the handle.
    ShareClient::uploadFile(path, [self = *this, path, colorName, setUserDone = std::move(setUserDone)](
                                      const ShareReply &reply) mutable {
        self.m_state->filesBeingSent.removeOne(path);
        self.bannerUploaded(reply, path, colorName, setUserDone);
    });
}

QImage defaultBannerImage()
{
    return imageNamed(QStringLiteral("logo-vornik5"));
}

bool cleanBannerFiles(const QString &folder, BannerForm form, const QStringList &keep)
{
    QDir dir(folder);
    if (!dir.exists() || !dir.isReadable()) {
        if (form == BannerForm::window)
            printLine(QStringLiteral("Could not clear temp folder: ") + folder + QStringLiteral(" cannot be listed"));
        return false;
    }
    const QStringList before = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    if (form == BannerForm::window)
        printLine(QStringLiteral("all files in cache: ") + before.join(QStringLiteral(", ")));
    QStringList kept;
    for (const QString &path : keep) {
        if (!path.isEmpty())
            kept.append(QFileInfo(path).absoluteFilePath());
    }
    bool allRemoved = true;
    for (const QString &name : before) {
        if (!name.contains(kBannerFileMark))
            continue;
        const QString path = folder + (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + name;
        if (kept.contains(QFileInfo(path).absoluteFilePath()))
            continue;
        QFile file(path);
        if (!file.remove()) {
            if (form == BannerForm::window)
                printLine(QStringLiteral("Could not clear temp folder: ") + file.errorString());
            allRemoved = false;
            break;
        }
    }
    if (form == BannerForm::window)
        printLine(QStringLiteral("all files in cache after deleting images: ")
                  + dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name).join(QStringLiteral(", ")));
    return allRemoved;
}

QString BannerActions::saveBannerImage(const QImage &image) const
{
    return writeNewBannerFile(image, BannerForm::statusMenu);
}

QString BannerActions::savePreviewImage(const BannerPreview &preview, const QString &path) const
{
    const QImage image = preview.image();
    if (path.isEmpty())
        return writeNewBannerFile(image, BannerForm::window);
    // A file of the user's own. The older banner files are cleaned as with any save,
    // which spares the current banner and those still being sent.
    const QString target = path.contains(QLatin1String(".png")) ? path : path + QStringLiteral(".png");
    const bool written = writePNG(image, target);
    cleanOlderBannerFiles(QString(), BannerForm::window);
    return written ? target : QString();
}

QString BannerActions::uploadBanner()
{
    // Through the getter: a missing color is sent and stored as "red", never as "".
    const QString colorName = bannerColorName();
    const QString path = defaults().stringForKey(SettingsKeys::bannerPath);
    if (path.isEmpty()) {
        postFileSaveError();
        return QString();
    }
    sendBanner(path, colorName, [state = m_state](const QString &reply) {
        state->lastResult = reply;
        defaults().setString(SettingsKeys::bannerUrl, reply);
    });
    return QString();
}

QString BannerActions::uploadBannerFromWindow(const BannerPreview &preview)
{
    const QString colorName = bannerColorName();
    const QString path = savePreviewImage(preview, QString());
    if (path.isEmpty()) {
        postFileSaveError();
        m_state->lastResult = QStringLiteral("File not found");
        return m_state->lastResult;
    }
    // Kept as the banner's address as well: the history tells the banner's row by it,
    // whichever side sent the banner.
    sendBanner(path, colorName, [state = m_state](const QString &reply) {
        state->lastResult = reply;
        defaults().setString(SettingsKeys::bannerUrl, reply);
    });
    return QString();
}

void BannerActions::bannerUploaded(const ShareReply &reply, const QString &path, const QString &colorName,
                                   SetUserDone setUserDone)
{
    const QString link = QStringLiteral("https://") + reply.body;
    if (!reply.succeeded() || !isValidURL(link)) {
        m_state->desktop.notifier->post(
            QCoreApplication::translate("BannerActions", "File Upload Error"),
            QCoreApplication::translate("BannerActions", "There was a problem uploading your banner image."));
        m_state->lastResult = QStringLiteral("Invalid URL");
        return;
    }
    defaults().setString(SettingsKeys::bannerPath, path);
    defaults().setString(SettingsKeys::bannerColor, colorName);
    announceChange();
    const QColor color = colorNamed(colorName);
    ShareClient::getUserID();
    ShareClient::setBanner(colorName, color, link, [setUserDone](const ShareReply &setUser) {
        if (setUserDone)
            setUserDone(setUserResult(setUser));
    });
}

QString BannerActions::lastResult() const
{
    return m_state->lastResult;
}

void BannerActions::changeBannerColor(ModalRuns &runs)
{
    const QString before = bannerColorName();
    {
        BannerColorWindow window;
        window.runModal(runs);
        window.close();
    }
    QCoreApplication::processEvents();
    const QString chosen = bannerColorName();
    if (chosen == before) {
        m_state->desktop.notifier->post(
            //: The title of notifications about the banner.
            QCoreApplication::translate("BannerActions", "Banner"),
            QCoreApplication::translate("BannerActions", "Banner color change has been cancelled."));
        return;
    }
    if (!QFileInfo::exists(defaults().stringForKey(SettingsKeys::bannerPath)))
        defaults().setString(SettingsKeys::bannerPath, saveBannerImage(defaultBannerImage()));
    uploadBanner();
    defaults().setString(SettingsKeys::bannerColor, chosen);
    announceChange();
    m_state->desktop.notifier->post(
        QCoreApplication::translate("BannerActions", "Banner"),
        QCoreApplication::translate("BannerActions", "New banner color information is uploaded."));
}

void BannerActions::changeBannerImage()
{
    FilePanels::OpenRequest request;
    request.title = QCoreApplication::translate("BannerActions", "Select PNG Image (Should be 40 px wide)");
    request.allowsMultipleSelection = false;
    request.canChooseDirectories = false;
    request.canCreateDirectories = false;
    request.allowedFileTypes = {QStringLiteral("png")};
    const QStringList chosen = m_state->desktop.filePanels->runOpenPanel(request);
    if (chosen.isEmpty())
        return;
    const QString path = saveBannerImage(QImage(chosen.constFirst()));
    // A file that is no readable image leaves the current banner in place rather than
    // forgetting it and announcing an upload that cannot happen.
    if (path.isEmpty()) {
        postFileSaveError();
        return;
    }
    defaults().setString(SettingsKeys::bannerPath, path);
    announceChange();
    uploadBanner();
    m_state->desktop.notifier->post(
        QCoreApplication::translate("BannerActions", "Banner Image Action"),
        QCoreApplication::translate("BannerActions", "Banner Image Uploaded!"));
}

void BannerActions::setToDefaultBanner()
{
    defaults().setString(SettingsKeys::bannerPath, saveBannerImage(defaultBannerImage()));
    defaults().setString(SettingsKeys::bannerColor, QStringLiteral("white"));
    announceChange();
    defaults().setString(SettingsKeys::bannerUrl, uploadBanner());
    m_state->desktop.notifier->post(
        QCoreApplication::translate("BannerActions", "Banner"),
        QCoreApplication::translate("BannerActions", "Reset complete."));
}
