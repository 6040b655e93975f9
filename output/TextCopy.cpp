#include "output/TextCopy.h"

#include "helpers/DesktopServices.h"
#include "helpers/TextRecognizer.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("TextCopy", text);
}

void reportRecognised(const DesktopServices &desktop, const TextRecognizer::Result &result)
{
    if (!result.error.isEmpty()) {
        desktop.notifier->post(tr("Text not copied"), result.error);
        return;
    }
    if (result.text.isEmpty()) {
        desktop.notifier->post(tr("No text found"), tr("Vornik found no text in the picture; the clipboard is "
                                                       "unchanged."));
        return;
    }
    desktop.clipboard->putText(result.text, [notifier = desktop.notifier, text = result.text](bool held) {
        if (held)
            notifier->post(tr("Text copied"), TextRecognizer::firstLine(text));
        else
            notifier->post(tr("Text not copied"), tr("The desktop did not take the text for its clipboard."));
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
