#include "helpers/OutputMessages.h"

#include "helpers/Notifier.h"

#include <QCoreApplication>

namespace {
// The texts are marked with QT_TRANSLATE_NOOP below and looked up here.
OutputMessageText translated(const char *subtitle, const char *text)
{
    return {QCoreApplication::translate("OutputMessages", subtitle), QCoreApplication::translate("OutputMessages", text)};
}
} // namespace

OutputMessageText outputMessageText(OutputMessage message)
{
    switch (message) {
    case OutputMessage::ImageCopied:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "Clipboard notification"),
                          QT_TRANSLATE_NOOP("OutputMessages", "Your image was saved to the clipboard."));
    case OutputMessage::ClipboardFailed:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "Clipboard Error"),
                          QT_TRANSLATE_NOOP("OutputMessages", "There was a problem saving your image to the clipboard."));
    case OutputMessage::ImageSaved:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "Image Saved"),
                          QT_TRANSLATE_NOOP("OutputMessages", "Your image has been saved."));
    case OutputMessage::NoNetwork:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "No network connection"),
                          QT_TRANSLATE_NOOP("OutputMessages", "Please check your Internet connection."));
    case OutputMessage::UploadFileMissing:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "File Save Error"),
                          QT_TRANSLATE_NOOP("OutputMessages", "Your image couldn't be saved for upload."));
    case OutputMessage::LinkCopied:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "SAVED TO CLIPBOARD"),
                          QT_TRANSLATE_NOOP("OutputMessages", "URL to image was copied to clipboard."));
    case OutputMessage::LinkNotCopied:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "Clipboard Error"),
                          //: The reason follows after the colon.
                          QT_TRANSLATE_NOOP("OutputMessages",
                                            "Your image was uploaded, but its link could not be copied to the clipboard: "));
    case OutputMessage::UploadFailed:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "File Upload Error"),
                          QT_TRANSLATE_NOOP("OutputMessages", "There was a problem uploading your image."));
    case OutputMessage::SaveFailed:
        return translated(QT_TRANSLATE_NOOP("OutputMessages", "File Save Error"),
                          //: The reason follows after the colon.
                          QT_TRANSLATE_NOOP("OutputMessages", "Your image could not be saved: "));
    }
    return {};
}

void postOutputMessage(Notifier &notifier, OutputMessage message, const QString &detail, const NotificationSubject &subject)
{
    const OutputMessageText words = outputMessageText(message);
    notifier.post(words.subtitle, words.text + detail, subject);
}
