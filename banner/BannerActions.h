#pragma once

#include "helpers/DesktopServices.h"
#include "service/ShareReply.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class BannerChanges;
class BannerPreview;
class ModalRuns;

// The banner: a small image and a background color that the sharing service puts on
// every image the user shares. It lives in a PNG file in the temporary folder, in the
// preferences "bannerpath", "bannercolor" and "bannerurl", and on the service, which
// learns it through an upload of the file followed by a set-user request.
//
// Everything here runs on the main thread.

// The two sides that change the banner differ in small ways (console lines, whether
// the set-user reply is stored under "bannerurl").
enum class BannerForm { statusMenu, window };

// The default banner, the compiled-in picture "logo-vornik5", at its own size.
QImage defaultBannerImage();

// Removes every entry of `folder` whose name contains "_bannerimage.png", except the
// files named in `keep`. Stops at the first removal that fails. The window form writes
// the listing before and after to the console. Returns false when the folder could not
// be listed or a removal failed.
bool cleanBannerFiles(const QString &folder, BannerForm form = BannerForm::statusMenu,
                      const QStringList &keep = {});

// The banner actions of the status menu and of the banner window. Both share what is
// under way: the banner files whose upload has been asked for but not yet answered
// (the upload reads its file only once its salt has come back, so no save in between
// may remove it) and the last chain's result. TrayApp makes one and hands it to every
// banner window it opens. It is a handle: copies share one state, which the requests
// still in flight keep alive.
// Takes the set-user answer: the service's text, or the system's description when
// no answer came.
using SetUserDone = std::function<void(const QString &result)>;

class BannerActions
{
public:
    // `desktop` is where the actions report, ask for files and open things.
    explicit BannerActions(DesktopServices desktop);

    const DesktopServices &desktop() const;

    // Signals every change of the stored banner ("bannerpath", "bannercolor") made
    // through these actions, so that each banner window shows what is stored.
    BannerChanges &changes() const;
    void announceChange() const;

    // Writes `image` at its own size as a new T + "Vornik/" + M + "_bannerimage.png" and
    // then removes the older banner files (never the one "bannerpath" names, which may
    // still be needed if the next upload fails, nor one whose upload is under way).
    // Returns the path, or "" when nothing could be written, in which case no file is
    // removed.
    QString saveBannerImage(const QImage &image) const;

    // Writes `preview`'s image. With a `path`, to that path (".png" appended unless it
    // holds ".png" already); without one, as a new banner file. Either way the older
    // banner files are cleaned as in saveBannerImage. Returns the path written, or "".
    QString savePreviewImage(const BannerPreview &preview, const QString &path) const;

    // Sends the file at "bannerpath" with the color "bannercolor": upload, then
    // bannerUploaded. The set-user reply is stored under "bannerurl". Without a path it
    // posts "File Save Error" and sends nothing. Returns "" (the upload has not finished).
    QString uploadBanner();

    // The banner window's upload: saves `preview` as a new banner file and sends it with
    // "bannercolor"; the set-user reply becomes lastResult() and the stored banner
    // address ("bannerurl"), by which the history knows the banner's row. Returns
    // "File not found" (after posting "File Save Error") when the preview could not be
    // saved, "" otherwise.
    QString uploadBannerFromWindow(const BannerPreview &preview);

    // The upload's completion: the reply must have succeeded and its body make a link
    // ("https://" + body). Then the path and color are stored and the service is told
    // the user id, the link and the color; `setUserDone` runs with the set-user answer.
    // A failed upload, or a body that is no link, posts "File Upload Error", sets the
    // result to "Invalid URL" and sends nothing more.
    void bannerUploaded(const ShareReply &reply, const QString &path, const QString &colorName,
                        SetUserDone setUserDone = {});

    // The last result of a banner upload chain: a set-user reply, "Invalid URL" or
    // "File not found"; "" before any.
    QString lastResult() const;

    // The status menu's actions.
    // Runs the banner color window through `runs`; an unchanged color posts "Banner color
    // change has been cancelled.", a new one is sent (with the default logo when the
    // banner file is gone).
    void changeBannerColor(ModalRuns &runs);
    // Lets the user pick a PNG file and sends it as the banner image.
    void changeBannerImage();
    // Sends the default logo on white; "bannerurl" is "" until the service replies.
    void setToDefaultBanner();

private:
    struct State;

    QString writeNewBannerFile(const QImage &image, BannerForm form) const;
    void cleanOlderBannerFiles(const QString &written, BannerForm form) const;
    void postFileSaveError() const;
    void sendBanner(const QString &path, const QString &colorName, SetUserDone setUserDone);

    std::shared_ptr<State> m_state;
};
