#pragma once

#include "service/ShareReply.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

struct DesktopServices;

// Makes sure the user id exists and sends the file at `path` to the sharing service;
// uploadFinished runs with the reply. The callers have checked the network.
void startUpload(const DesktopServices &desktop, const QString &path);
// The same for a file still being written: the request for the salt goes out now, and
// the returned function takes the written file's path (empty when writing failed,
// which ends as a failed upload).
std::function<void(const QString &path)> startUploadOnceWritten(const DesktopServices &desktop);

// Upload hand-off: checks the network and that there is a file, then sends it to the
// sharing service; `uploadFinished` runs with the reply.
void handOffUpload(const DesktopServices &desktop, const QString &path);

// Turns the service's reply into a link on the clipboard and removes the uploaded
// file. When the upload failed, or the reply's body is no link, the file is kept in
// the unsent folder and the failure notification says why and where, and offers to
// send it again (and to set up a service when none is).
void uploadFinished(const DesktopServices &desktop, const ShareReply &reply, const QString &path);

// Moves a file whose upload failed into TempFolder::unsentFolder(); returns where the
// image now is (its old path when it could not be moved or is kept there already,
// empty when it is gone).
QString keepUnsentImage(const QString &path);

// Puts the picture encoded as `png` (and `image` for Qt programs) on the clipboard and
// posts the outcome once the desktop has kept or refused it. A refused picture is
// written into the unsent folder and the message says where. `then` (optional) gets
// the outcome after the message, possibly before this returns.
void copyPictureToClipboard(const DesktopServices &desktop, const QByteArray &png, const QImage &image,
                            std::function<void(bool held)> then = {});

// Writes `png` into a new file of TempFolder::unsentFolder(); its path, empty when it
// could not be written.
QString keepUncopiedImage(const QByteArray &png);

// The images whose upload failed and that are still waiting in the unsent folder,
// oldest first. Pictures kept there after a failed save or copy are not uploads and
// are left out.
QStringList unsentUploads();

// Sends the kept image at `path` again; it leaves the unsent folder once the service
// has it, and a new failure says why as the first did. An image already on its way, or
// gone meanwhile, is left alone.
void retryUnsentUpload(const DesktopServices &desktop, const QString &path);

// Says whether the picture `png` reached the clipboard; when not, keeps it in a file
// and names the file.
void reportPictureCopy(const DesktopServices &desktop, bool held, const QByteArray &png);
