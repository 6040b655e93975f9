#pragma once

#include "helpers/DesktopServices.h"
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <QtGlobal>

// The history window's preview: shows the upload whose row is dropped on it, loaded
// from its address in the background, and opens that address in the browser when
// clicked.
class HistoryPreview : public QWidget
{
    Q_OBJECT
public:
    explicit HistoryPreview(DesktopServices desktop, QWidget *parent = nullptr);
    ~HistoryPreview() override;

    // The address of the image shown (or being loaded); "" at first.
    QString imageURL;

    // Takes the text a drop carried: remembers it and, when it is a web link, starts
    // loading the image behind it.
    void showDroppedText(const QString &text);
    void clearImage();
    QImage image() const { return m_image; }
    bool isLoading() const { return m_loading != 0; }

    QSize sizeHint() const override { return {320, 240}; }

signals:
    // The image at `url` arrived and is shown.
    void imageLoaded(const QString &url);
    // The image at `url` could not be fetched or read.
    void imageFailed(const QString &url);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void load(const QString &url);
    void finishLoading(const QString &url, const QByteArray &body, bool failed);
    void abortLoading();

    quint64 m_loading = 0;   // the transport's id of the request in flight, 0 when none
    QImage m_image;
    DesktopServices m_desktop;
};
