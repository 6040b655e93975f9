#pragma once

#include "helpers/DesktopServices.h"

#include <QMenu>

// The "Unsent uploads" submenu: the images whose upload failed and that wait in the
// unsent folder, newest last, each sent again when chosen, and "Retry all". Rebuilt
// every time it opens, so it shows what is in the folder now.
class UnsentUploadsMenu : public QMenu
{
    Q_OBJECT
public:
    explicit UnsentUploadsMenu(DesktopServices desktop, QWidget *parent = nullptr);

public slots:
    void menuWillOpen();

private:
    DesktopServices m_desktop;
};
