#pragma once

#include <QImage>

struct DesktopServices;

// Copy text: reads the words in `picture` off the main thread and puts them on the
// clipboard as plain text; a notification shows the first line, or says that the
// picture holds no text (the clipboard is then left as it was). Returns at once.
void copyRecognisedText(const DesktopServices &desktop, const QImage &picture);
