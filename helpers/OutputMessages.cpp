#include "helpers/OutputMessages.h"

#include "helpers/Notifier.h"

OutputMessageText outputMessageText(OutputMessage message)
{
    switch (message) {
    case OutputMessage::ImageCopied:
        return {QStringLiteral("Clipboard notification"), QStringLiteral("Your image was saved to the clipboard.")};
    case OutputMessage::ClipboardFailed:
        return {QStringLiteral("Clipboard Error"),
                QStringLiteral("There was a problem saving your image to the clipboard.")};
    case OutputMessage::ImageSaved:
        return {QStringLiteral("Image Saved"), QStringLiteral("Your image has been saved.")};
    case OutputMessage::NoNetwork:
        return {QStringLiteral("No network connection"), QStringLiteral("Please check your Internet connection.")};
    case OutputMessage::UploadFileMissing:
        return {QStringLiteral("File Save Error"), QStringLiteral("Your image couldn't be saved for upload.")};
    case OutputMessage::LinkCopied:
        return {QStringLiteral("SAVED TO CLIPBOARD"), QStringLiteral("URL to image was copied to clipboard.")};
    case OutputMessage::LinkNotCopied:
        return {QStringLiteral("Clipboard Error"),
                QStringLiteral("Your image was uploaded, but its link could not be copied to the clipboard: ")};
    case OutputMessage::UploadFailed:
        return {QStringLiteral("File Upload Error"), QStringLiteral("There was a problem uploading your image.")};
    case OutputMessage::SaveFailed:
        return {QStringLiteral("File Save Error"), QStringLiteral("Your image could not be saved: ")};
    }
    return {};
}

void postOutputMessage(Notifier &notifier, OutputMessage message, const QString &detail, const NotificationSubject &subject)
{
    const OutputMessageText words = outputMessageText(message);
    notifier.post(words.subtitle, words.text + detail, subject);
}
