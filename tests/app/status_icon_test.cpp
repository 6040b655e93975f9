#include "app/StatusIconEngine.h"
#include "tests/harness/TestMain.h"

#include <QPainter>
#include <QSvgRenderer>

// The drawn tray icon is the picture in resources/images/statusIcon*.svg.
class StatusIconTest : public QObject
{
    Q_OBJECT
private:
    static QImage rendered(const QString &svg, int size)
    {
        QSvgRenderer renderer(svg);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        return image;
    }

    // The share of pixels whose channels differ by more than a little antialiasing.
    static double differingShare(const QImage &a, const QImage &b)
    {
        int differing = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                const int delta = qMax(qMax(qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q))),
                                       qMax(qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))));
                if (delta > 48)
                    ++differing;
            }
        }
        return double(differing) / (a.width() * a.height());
    }

private slots:
    void drawingsMatchTheirPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        for (const char *name : {"statusIcon", "statusIconFront"}) {
            for (int size : {16, 22, 44, 64})
                QTest::addRow("%s-%d", name, size) << QString::fromLatin1(name) << size;
        }
    }

    void drawingsMatchTheirPictures()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QImage drawn = StatusIconEngine::iconNamed(name).pixmap(size, size).toImage().convertToFormat(
            QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(drawn.size(), QSize(size, size));
        const QImage picture = rendered(QStringLiteral(":/images/%1.svg").arg(name), size);
        QVERIFY(!picture.isNull());
        QVERIFY2(differingShare(drawn, picture) < 0.02, qPrintable(QString::number(differingShare(drawn, picture))));
        // And the two variants are told apart at every size.
        const QString other = name == QLatin1String("statusIcon") ? QStringLiteral("statusIconFront")
                                                                   : QStringLiteral("statusIcon");
        QVERIFY(differingShare(drawn, rendered(QStringLiteral(":/images/%1.svg").arg(other), size)) > 0.05);
    }
};

VORNIK_TEST_MAIN(StatusIconTest, (vtest::EnvironmentOptions{.dbus = false}))
#include "status_icon_test.moc"
