#pragma once

#include <QString>
#include <QUrl>

// Opens web addresses and files in the desktop's default handlers. The application
// makes one and hands it to whatever opens things; tests hand in one that records.
class Opener
{
public:
    virtual ~Opener() = default;

    // Returns whether the desktop accepted the request.
    virtual bool openUrl(const QUrl &url);

    // Shows `file` selected in the desktop's file manager (org.freedesktop.FileManager1),
    // or opens its folder where no file manager answers on the bus.
    virtual bool showInFolder(const QString &file);
};
