#include "banner/ModalRuns.h"
#include "banner/BannerColorPicker.h"
#include "banner/BannerColorWindow.h"
#include "helpers/NamedColors.h"
#include "tests/banner/BannerTestSupport.h"
#include "tests/harness/TestMain.h"

#include <QTimer>

using namespace bannertest;

// The banner color window under real modal runs: a click ends the run, and what it
// stored is what the caller reads afterwards.
class BannerColorTest : public QObject
{
    Q_OBJECT
private:
    // Runs `window` modally with the event loop runs, letting `answer` act once the
    // run has started. Returns whether the run ended by itself (a watchdog closes the
    // window if nothing ends it, which counts as a failure).
    static bool runAnswered(BannerColorWindow &window, std::function<void()> answer)
    {
        bool answered = false;
        bool watchdogFired = false;
        QTimer::singleShot(0, &window, [&] {
            answered = true;
            answer();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &window, [&] {
            watchdogFired = true;
            window.close();
        });
        watchdog.start(kWaitMs);
        window.runModal(*ModalRuns::eventLoops());
        window.close();
        return answered && !watchdogFired;
    }

private slots:
    void init() { clearPreferences(); }

    void clickStoresTheColorAndEndsTheRun()
    {
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("teal"));
        const QString before = bannerColorName();
        BannerColorWindow window;
        BannerColorPicker *content = window.picker();
        QVERIFY(content);
        QVERIFY(runAnswered(window, [&] {
            QVERIFY(content->palette()->button("teal")->isChecked());   // the stored choice is shown
            QTest::mouseClick(content->palette()->button("navy"), Qt::LeftButton);
        }));
        QCOMPARE(bannerColorName(), QStringLiteral("navy"));
        QVERIFY(bannerColorName() != before);
        // Every button is turned off: the window closes right after the click.
        QVERIFY(content->palette()->namesTurnedOn().isEmpty());
    }

    void clickingTheStoredColorLeavesItUnchanged()
    {
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("purple"));
        BannerColorWindow window;
        QVERIFY(runAnswered(window, [&] { window.picker()->palette()->button("purple")->click(); }));
        QCOMPARE(bannerColorName(), QStringLiteral("purple"));
    }

    void cancelEndsTheRunAndStoresNothing()
    {
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("olive"));
        BannerColorWindow window;
        BannerColorPicker *content = window.picker();
        QCOMPARE(content->cancelButton->text(), QStringLiteral("Cancel"));
        QVERIFY(runAnswered(window, [&] { QTest::mouseClick(content->cancelButton, Qt::LeftButton); }));
        QCOMPARE(prefs("bannercolor"), QStringLiteral("olive"));
    }

    void withoutAStoredColorRedIsStoredAndShown()
    {
        QVERIFY(!Preferences::standard().hasKey(QStringLiteral("bannercolor")));
        BannerColorWindow window;
        window.show();
        QCOMPARE(prefs("bannercolor"), QStringLiteral("red"));
        QCOMPARE(window.picker()->palette()->namesTurnedOn(), QStringList{QStringLiteral("red")});
    }

    void showingTheChoiceLeavesOtherButtonsAlone()
    {
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("lime"));
        BannerColorWindow window;
        BannerColorPicker *content = window.picker();
        content->palette()->button("silver")->setChecked(true);
        window.show();
        QCOMPARE(content->palette()->namesTurnedOn(), (QStringList{QStringLiteral("silver"), QStringLiteral("lime")}));
    }

    void whiteAndUnknownNamesShowTheirButtons()
    {
        // The system white is no swatch color, so white falls back to the white button.
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("white"));
        BannerColorPicker content;
        content.showStoredColor();
        QCOMPARE(content.palette()->namesTurnedOn(), QStringList{QStringLiteral("white")});

        // A name outside the table reads as red.
        Preferences::standard().setString(QStringLiteral("bannercolor"), QStringLiteral("Navy"));
        BannerColorPicker other;
        other.showStoredColor();
        QCOMPARE(other.palette()->namesTurnedOn(), QStringList{QStringLiteral("red")});
    }

    void sixteenColorsWithTheirToolTipsInPaletteOrder()
    {
        BannerColorPicker content;
        QList<QPushButton *> buttons;
        for (const char *name : {"white", "silver", "gray", "black", "red", "maroon", "yellow", "olive", "lime", "green",
                                 "aqua", "teal", "blue", "navy", "fuchsia", "purple"})
            buttons << content.palette()->button(QLatin1String(name));
        QStringList tips;
        for (QPushButton *button : buttons) {
            QVERIFY(button);
            QCOMPARE(button->accessibleName(), button->toolTip());
            tips.append(button->toolTip());
        }
        QCOMPARE(tips, (QStringList{"White", "Silver", "Gray", "Black", "Red", "Maroon", "Yellow", "Olive", "Lime",
                                    "Green", "Aqua", "Teal", "Blue", "Navy", "Fuchsia", "Purple"}));
        QCOMPARE(content.palette()->swatch("navy")->color(), hexColor(0x000080, 1.0));
        QCOMPARE(content.palette()->swatch("white")->color(), hexColor(0xFFFFFF, 1.0));
    }

    void closingOrHidingTheWindowEndsARunThatNothingStopped()
    {
        BannerColorWindow window;
        for (const bool hiding : {false, true}) {
            bool ended = false;
            // Later than the window's first paint and exposure, which end nothing.
            QTimer::singleShot(150, &window, [&] {
                ended = true;
                hiding ? window.hide() : void(window.close());
            });
            window.runModal(*ModalRuns::eventLoops());
            QVERIFY(ended);
        }
        QCOMPARE(prefs("bannercolor"), QStringLiteral("red"));   // shown, nothing chosen
    }
};

VORNIK_TEST_MAIN(BannerColorTest, vtest::EnvironmentOptions{})
#include "banner_color_test.moc"
