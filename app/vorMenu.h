#pragma once

#include <QMenu>

// The status menu's "History" submenu: the most recent uploads, each opening its
// link. Until the upload history exists it stays empty.
class vorMenu : public QMenu
{
    Q_OBJECT
public:
    explicit vorMenu(QWidget *parent = nullptr);
};
