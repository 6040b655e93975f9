#include "platform/Preferences.h"
#include "tests/harness/FakeDesktop.h"
#include "helpers/NamedColors.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/TestMain.h"

#include <QSettings>

class NamedColorsTest : public QObject
{
    Q_OBJECT
private slots:
    void hexStringsOfTableColors()
    {
        QCOMPARE(hexString(colorNamed(QStringLiteral("teal"))), QStringLiteral("#008080"));
        QCOMPARE(hexString(colorNamed(QStringLiteral("silver"))), QStringLiteral("#C0C0C0"));
        QCOMPARE(hexString(colorNamed(QStringLiteral("fuchsia"))), QStringLiteral("#FF00FF"));
        QCOMPARE(hexString(colorNamed(QStringLiteral("white"))), QStringLiteral("#FFFFFF"));
    }

    // The table against Qt's own SVG color keywords, which agree with the sixteen
    // basic HTML colors: a mistyped value in our table shows here.
    void tableMatchesTheBasicHtmlColors()
    {
        QCOMPARE(paletteColorNames().size(), 16);
        for (const QString &name : paletteColorNames()) {
            const QColor html = QColor::fromString(name);
            QVERIFY2(html.isValid(), qPrintable(name));
            QCOMPARE(macawColorNamed(name).rgba(), html.rgba());
            QCOMPARE(hexString(colorNamed(name)), html.name().toUpper());
            QCOMPARE(colorNamed(name).alphaF(), 1.0f);
            QVERIFY(isKnownColorName(name));
        }
        QVERIFY(isKnownColorName(QStringLiteral("clear")));
        QCOMPARE(colorNamed(QStringLiteral("clear")).alpha(), 0);
        QVERIFY(!isKnownColorName(QStringLiteral("Red")));
    }

    void hexColorSplitsTheComponents()
    {
        const QColor color = hexColor(0x123456, 0.25);
        QCOMPARE(color.red(), 0x12);
        QCOMPARE(color.green(), 0x34);
        QCOMPARE(color.blue(), 0x56);
        QVERIFY(qAbs(color.alphaF() - 0.25f) < 1e-4f);
        // Bits above the 24 colour bits are ignored.
        QCOMPARE(hexColor(0x7F00FF00, 1.0).rgba(), QColor(0, 0xFF, 0).rgba());
    }

    void halvesRoundAwayFromZero()
    {
        QVERIFY(hexString(QColor::fromRgbF(0.5f, 0.0f, 0.0f)).startsWith(QStringLiteral("#80")));
        // Just below a half rounds down; the ends stay inside two digits.
        QCOMPARE(hexString(QColor::fromRgbF(0.49f, 0.0f, 1.0f)), QStringLiteral("#7D00FF"));
    }

    // QColor keeps 16 bits a channel, and n / 65535 × 255 = n / 257 is never exactly a
    // half, so no colour can tell how halves round; what must hold is that every channel
    // value becomes its nearest two-digit one, the closest calls on either side included.
    void everyChannelValueGoesToTheNearestDigits()
    {
        for (int n = 0; n <= 0xFFFF; ++n) {
            QColor color;
            color.setRgba64(QRgba64::fromRgba64(quint16(n), 0, 0xFFFF, 0xFFFF));
            const int nearest = (2 * n + 257) / 514;
            const QString text = hexString(color);
            if (text != QString::asprintf("#%02X00FF", nearest))
                QFAIL(qPrintable(QStringLiteral("channel %1 gave %2").arg(n).arg(text)));
        }
    }

    void unknownNamesAreRed()
    {
        const QColor red = hexColor(0xFF0000, 1.0);
        QCOMPARE(colorNamed(QStringLiteral("Red")), red);
        QCOMPARE(colorNamed(QStringLiteral("purple ")), red);
        QCOMPARE(colorNamed(QString()), red);
        QCOMPARE(macawColorNamed(QStringLiteral("nonsense")), QColor(255, 0, 0));
        QCOMPARE(macawColorNamed(QStringLiteral("clear")).alpha(), 0);
    }

    void systemWhiteIsNotTheHexWhite()
    {
        QVERIFY(colorNamed(QStringLiteral("white")) != hexColor(0xFFFFFF, 1.0));
    }

    void storedNameGettersWriteRedOnce()
    {
        Preferences &prefs = Preferences::standard();
        QVERIFY(!prefs.hasKey(QStringLiteral("bannercolor")));
        QCOMPARE(bannerColorName(), QStringLiteral("red"));
        prefs.setString(QStringLiteral("linecolor"), QStringLiteral("teal"));
        QCOMPARE(lineColorName(), QStringLiteral("teal"));
        prefs.synchronize();
        // What reached the file, not only what the store caches.
        QSettings file(prefs.fileName(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("bannercolor")).toString(), QStringLiteral("red"));
        QCOMPARE(file.value(QStringLiteral("linecolor")).toString(), QStringLiteral("teal"));
        QVERIFY(prefs.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    void notificationReachesTheBus()
    {
        NotificationRecorder recorder;
        QVERIFY(recorder.isRegistered());
        vtest::FakeDesktop desktop;
        desktop.services.notifier->post(QStringLiteral("SAVED TO CLIPBOARD"), QStringLiteral("URL to image was copied to clipboard."));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.received.size(), 1, 10000);
        QCOMPARE(recorder.received.first().appName, QStringLiteral("Vornik notification"));
        QCOMPARE(recorder.received.first().summary, QStringLiteral("SAVED TO CLIPBOARD"));
        QCOMPARE(recorder.received.first().body, QStringLiteral("URL to image was copied to clipboard."));
    }
};

VORNIK_TEST_MAIN(NamedColorsTest, vtest::EnvironmentOptions{})
#include "named_colors_test.moc"
