#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The banner preview: the banner image centred on the banner color. It keeps the
// image it shows, so that the banner window can save exactly what the user sees.
class BannerPreview : public QWidget
{
    Q_OBJECT
public:
    explicit BannerPreview(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);

    // The background the image is shown on (the banner color).
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &color);

    QSize sizeHint() const override { return {360, 140}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    QColor m_background = Qt::transparent;
};
