#include "app/StatusIconEngine.h"
#include "tests/harness/ColorContrast.h"
#include "tests/harness/TestMain.h"

#include <QPainter>
#include <QSvgRenderer>

// The drawn tray icon is the picture in resources/images/statusIcon*.svg, and it reads
// on dark and light panels.
class StatusIconTest : public QObject
{
    Q_OBJECT
private:
    struct Legibility {
        double peak = 1;        // the highest contrast of any icon pixel against the panel
        double legibleShare = 0; // share of the icon's pixels at 3:1 or more against it
    };

    static Legibility onPanel(const QImage &icon, QColor panel)
    {
        QImage shown(icon.size(), QImage::Format_RGB32);
        shown.fill(panel);
        QPainter(&shown).drawImage(0, 0, icon);
        Legibility result;
        int covered = 0, legible = 0;
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x) {
                if (qAlpha(icon.pixel(x, y)) < 128)
                    continue;
                ++covered;
                const double ratio = vtest::contrastRatio(shown.pixel(x, y), panel.rgb());
                result.peak = qMax(result.peak, ratio);
                if (ratio >= 3.0)
                    ++legible;
            }
        }
        result.legibleShare = covered ? double(legible) / covered : 0;
        return result;
    }

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
    void readableOnDarkAndLightPanels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        for (const char *name : {"statusIcon", "statusIconFront"}) {
            for (int size : {16, 22, 24, 32})
                QTest::addRow("%s-%d", name, size) << QString::fromLatin1(name) << size;
        }
    }

    void readableOnDarkAndLightPanels()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QImage icon = StatusIconEngine::iconNamed(name).pixmap(size, size).toImage().convertToFormat(
            QImage::Format_ARGB32);
        for (const QColor panel : {QColor(0x20, 0x20, 0x20), QColor(0xF0, 0xF0, 0xF0)}) {
            const Legibility legibility = onPanel(icon, panel);
            qInfo("%s at %d px on %s: peak contrast %.1f:1, %.0f%% of its pixels at 3:1 or more", qPrintable(name),
                  size, qPrintable(panel.name()), legibility.peak, 100 * legibility.legibleShare);
            // The outline must stand out (3:1 is the least for interface graphics), and
            // not as a few stray pixels but as a good part of the drawing.
            QVERIFY2(legibility.peak >= 7.0, qPrintable(panel.name()));
            QVERIFY2(legibility.legibleShare >= 0.3, qPrintable(panel.name()));
        }
    }

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
