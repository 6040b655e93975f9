#pragma once

#include <QIconEngine>

// The tray icon, drawn at whatever size the tray host asks for: a dark camera with a
// light halo, readable on dark and light panels alike, and in the
// "Bring all to front." state a blue badge with an upward arrow. Drawing it costs
// nothing at start-up, whereas decoding picture files would map the image decoders
// into a process that otherwise only waits in the tray. resources/images/statusIcon.svg
// and statusIconFront.svg are the same drawings.
class StatusIconEngine : public QIconEngine
{
public:
    enum class Variant { plain, front };

    explicit StatusIconEngine(Variant variant);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    // The sizes tray hosts commonly ask for; any other size is drawn as well.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;

    // The icon for a status-item name: "statusIconFront" gives the badged variant,
    // anything else the plain camera.
    static QIcon iconNamed(const QString &name);

private:
    Variant m_variant;
};
