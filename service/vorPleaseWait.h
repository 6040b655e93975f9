#pragma once

#include <QWidget>

// A small floating "please wait" window with a see-through background. Nothing
// opens it at present; it is kept for long service operations.
class vorPleaseWait : public QWidget
{
    Q_OBJECT
public:
    explicit vorPleaseWait(QWidget *parent = nullptr);

    // Floats above other windows, clear and non-opaque.
    void windowDidLoad();

    QSize sizeHint() const override { return {180, 64}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};
