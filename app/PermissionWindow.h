#pragma once

#include "app/PermissionWindowContent.h"

#include <QWidget>

// The window that explains why Vornik cannot capture the screen yet. It hides itself
// from its buttons and, never being shown again, is then deleted.
class PermissionWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PermissionWindow(QWidget *parent = nullptr);

protected:
    void hideEvent(QHideEvent *event) override;
};

