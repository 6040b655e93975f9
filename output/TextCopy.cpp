#include "output/TextCopy.h"

#include "helpers/DesktopServices.h"
#include "helpers/TextRecognizer.h"

#include <QCoreApplication>

namespace {

// Each text is spelled out in a QCoreApplication::translate() call (not a local
// helper) so that lupdate collects it into the translations.
void reportRecognised(const DesktopServices &desktop, const TextRecognizer::Result &result)
{
    if (!result.error.isEmpty()) {
        desktop.notifier->post(QCoreApplication::translate("TextCopy", "Text not copied"), result.error);
        return;
    }
    if (result.text.isEmpty()) {
        desktop.notifier->post(QCoreApplication::translate("TextCopy", "No text found"),
                               QCoreApplication::translate("TextCopy", "Vornik found no text in the picture; "
                                                                       "the clipboard is unchanged."));
        return;
    }
    desktop.clipboard->putText(result.text, [notifier = desktop.notifier, text = result.text](bool held) {
        if (held)
            notifier->post(QCoreApplication::translate("TextCopy", "Text copied"), TextRecognizer::firstLine(text));
        else
            notifier->post(QCoreApplication::translate("TextCopy", "Text not copied"),
                           QCoreApplication::translate("TextCopy",
                                                       "The desktop did not take the text for its clipboard."));
    });
}

} // namespace

void copyRecognisedText(const DesktopServices &desktop, const QImage &picture)
{
    if (picture.isNull())
        return;
    TextRecognizer::recognizeInBackground(picture, QCoreApplication::instance(),
                                          [desktop](const TextRecognizer::Result &result) {
                                              reportRecognised(desktop, result);
                                          });
}
