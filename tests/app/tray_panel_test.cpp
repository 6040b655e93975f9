// The tray icon as a panel shows it: Vornik runs as its own process on the test's
// Xvfb, docked into an XEmbed tray (trayer) painted dark and then light, and the
// icon is read back from the screen.
#include "tests/harness/ColorContrast.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QImage>
#include <QScreen>

namespace {

constexpr int kPanelHeight = 24;

// The panel: the bottom strip of the screen.
QImage panelStrip()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen->geometry();
    return screen->grabWindow(0, 0, geometry.height() - kPanelHeight, geometry.width(), kPanelHeight)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

struct IconOnPanel {
    QRect area;              // the icon's pixels, in the strip
    QRgb panel = 0;          // the panel's own colour
    double peak = 1;         // highest contrast of an icon pixel against the panel
    int legible = 0;         // icon pixels at 3:1 or more against the panel
};

// The pixels of the strip that differ from its panel colour (taken from the strip's
// middle, left of the docked icons, which trayer packs to the right).
IconOnPanel findIcon(const QImage &strip)
{
    IconOnPanel found;
    found.panel = strip.pixel(strip.width() / 2, kPanelHeight / 2);
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x) {
            const QRgb pixel = strip.pixel(x, y);
            if ((pixel & 0xFFFFFF) == (found.panel & 0xFFFFFF))
                continue;
            found.area |= QRect(x, y, 1, 1);
            const double ratio = vtest::contrastRatio(pixel, found.panel);
            found.peak = qMax(found.peak, ratio);
            found.legible += ratio >= 3.0 ? 1 : 0;
        }
    }
    return found;
}

} // namespace

class TrayPanelTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!vtest::haveProgram(QStringLiteral("trayer")))
            QSKIP("trayer (an XEmbed tray) is not installed");
    }

    void iconStandsOutOnThePanel_data()
    {
        QTest::addColumn<QString>("tint");
        QTest::newRow("dark panel #202020") << QStringLiteral("0x202020");
        QTest::newRow("light panel #F0F0F0") << QStringLiteral("0xF0F0F0");
    }

    void iconStandsOutOnThePanel()
    {
        QFETCH(QString, tint);
        const pid_t tray = vtest::spawn({QStringLiteral("trayer"), QStringLiteral("--edge"), QStringLiteral("bottom"),
                                         QStringLiteral("--align"), QStringLiteral("right"),
                                         QStringLiteral("--widthtype"), QStringLiteral("percent"),
                                         QStringLiteral("--width"), QStringLiteral("100"),
                                         QStringLiteral("--heighttype"), QStringLiteral("pixel"),
                                         QStringLiteral("--height"), QString::number(kPanelHeight),
                                         QStringLiteral("--transparent"), QStringLiteral("true"),
                                         QStringLiteral("--alpha"), QStringLiteral("0"),
                                         QStringLiteral("--tint"), tint},
                                        QDir::tempPath() + QStringLiteral("/trayer.log"));
        QVERIFY(tray > 0);
        // trayer's tint arithmetic may leave a channel one off the colour asked for.
        const QRgb wanted = QRgb(tint.toUInt(nullptr, 16));
        const auto near = [](QRgb a, QRgb b) {
            return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 && qAbs(qBlue(a) - qBlue(b)) <= 2;
        };
        QVERIFY2(QTest::qWaitFor([&] { return near(panelStrip().pixel(10, 10), wanted); }, 10000),
                 "the panel did not show");

        const pid_t vornik = vtest::spawn({qEnvironmentVariable("VORNIK_BINARY")},
                                          QDir::tempPath() + QStringLiteral("/vornik.log"));
        QVERIFY(vornik > 0);
        IconOnPanel icon;
        // Docked and painted once it covers a good part of a tray slot.
        const bool shown = QTest::qWaitFor([&] {
            icon = findIcon(panelStrip());
            return icon.area.width() >= 12 && icon.area.height() >= 12;
        }, 20000);
        if (const QString shot = qEnvironmentVariable("VORNIK_TRAY_SHOT"); !shot.isEmpty())
            vtest::run({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"),
                        shot.arg(QString(tint).remove(QStringLiteral("0x")))});
        vtest::stop(vornik);
        vtest::stop(tray);
        QVERIFY2(shown, "no icon appeared in the tray");

        qInfo("panel #%06x, icon %dx%d at %d,%d: peak contrast %.1f:1, %d pixels at 3:1 or more",
              icon.panel & 0xFFFFFF, icon.area.width(), icon.area.height(), icon.area.x(), icon.area.y(), icon.peak,
              icon.legible);
        QVERIFY(icon.area.width() <= kPanelHeight && icon.area.height() <= kPanelHeight);
        // The camera's whole outline reads against the panel, not a few stray pixels.
        QVERIFY2(icon.peak >= 7.0, qPrintable(QString::number(icon.peak)));
        QVERIFY2(icon.legible >= 60, qPrintable(QString::number(icon.legible)));
    }
};

VORNIK_TEST_MAIN(TrayPanelTest, (vtest::EnvironmentOptions{.x11 = true}))
#include "tray_panel_test.moc"
