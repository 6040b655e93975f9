#pragma once

#include <QWidget>

// The annotation editor window.
class PaintWindowController : public QWidget
{
    Q_OBJECT
public:
    explicit PaintWindowController(QWidget *parent = nullptr);
};
