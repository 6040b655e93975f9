#pragma once

#include "helpers/NotificationSubject.h"
#include "helpers/OutputMessageText.h"

class Notifier;

#include <QString>

// The notifications the output actions post: subtitle and text, word for word.
enum class OutputMessage {
    ImageCopied,         // an image was put on the clipboard
    ClipboardFailed,     // no image reached the clipboard
    ImageSaved,          // the save panel's file was written
    NoNetwork,           // upload attempted without network
    UploadFileMissing,   // the file to upload could not be produced
    LinkCopied,          // the upload's link is on the clipboard
    LinkNotCopied,       // uploaded, but the link did not reach the clipboard
    UploadFailed,        // the reply did not form a valid link
    SaveFailed,          // the overlay's save could not write its file
};

OutputMessageText outputMessageText(OutputMessage message);

// Posts the message; `detail` is appended to its text when given. `subject` names the
// file or link the message is about, which the desktop may offer to open.
void postOutputMessage(Notifier &notifier, OutputMessage message, const QString &detail = QString(),
                       const NotificationSubject &subject = {});
