#include "platform/Preferences.h"
#include "editor/SegmentedToolBar.h"
#include "editor/ToolTipTable.h"
#include "editor/ColorPalettePopup.h"
#include "editor/LineWidthPopup.h"
#include "editor/TextEntryPopup.h"
#include "helpers/Links.h"
#include "helpers/NamedColors.h"
#include "tests/harness/TestMain.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>

namespace {
// Forgets every stored preference, so each case starts as a fresh installation.
void clearPreferences()
{
    const QString file = Preferences::standard().fileName();
    Preferences::resetStandard();
    QFile::remove(file);
}

// A tool bar shaped like the editor's: 19 segments, swatches at 16 and 17.
std::unique_ptr<SegmentedToolBar> makeEditorLikeToolBar()
{
    auto bar = std::make_unique<SegmentedToolBar>();
    for (int i = 0; i < 19; ++i)
        bar->addSegment();
    bar->segment(16)->setSwatchEnabled(true);
    bar->segment(17)->setSwatchEnabled(true);
    bar->segment(16)->setSwatchColor(Qt::black);
    bar->segment(17)->setSwatchColor(Qt::black);
    return bar;
}
} // namespace

class EditorPopoversTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        clearPreferences();
    }

    void toolTipTableKeepsDecimalKeysWithText()
    {
        const QByteArray json = R"({"0": " Save ", "7": "Line", "x": "not an index", "3": "  \n ",
                                    "12": 5, "-1": "minus", "18": "https://example.org/help"})";
        const QMap<int, QString> table = parseToolTips(json);
        QCOMPARE(table.value(0), QStringLiteral("Save"));
        QCOMPARE(table.value(7), QStringLiteral("Line"));
        QCOMPARE(table.value(18), QStringLiteral("https://example.org/help"));
        QVERIFY(!table.contains(3));    // only white space
        QVERIFY(!table.contains(12));   // not a text
        QCOMPARE(table.size(), 4);      // "-1" is a decimal integer too
        QVERIFY(parseToolTips("[\"a\", \"b\"]").isEmpty());
        QVERIFY(parseToolTips("{\"0\": \"unterminated").isEmpty());
        QVERIFY(parseToolTips(QByteArray()).isEmpty());
    }

    void shippedToolTipsCoverEverySegmentButTheSpacers()
    {
        const QMap<int, QString> table = parseToolTips(toolTipsAsset());
        for (int i = 0; i < 19; ++i)
            QCOMPARE(table.contains(i), i != 3 && i != 9);
        // The help page's path on the sharing service, whose address is configured.
        QCOMPARE(table.value(18), QStringLiteral("help/editor"));
    }

    void segmentToolTipIsItsAccessibleName()
    {
        auto bar = makeEditorLikeToolBar();
        bar->setSegmentToolTip(5, QStringLiteral("Rectangle"));
        QCOMPARE(bar->segmentToolTip(5), QStringLiteral("Rectangle"));
        QCOMPARE(bar->segment(5)->accessibleName(), QStringLiteral("Rectangle"));
        bar->setSegmentToolTip(40, QStringLiteral("nowhere"));   // out of range: ignored
        QCOMPARE(bar->segment(40), nullptr);
    }

    void clickSelectsSegmentButSpacersStayUnselected()
    {
        auto bar = makeEditorLikeToolBar();
        bar->segment(3)->setSpacer(true);
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
        QSignalSpy clicks(bar.get(), &SegmentedToolBar::segmentClicked);
        QTest::mouseClick(bar->segment(5), Qt::LeftButton);
        QCOMPARE(bar->selectedSegment(), 5);
        QVERIFY(bar->segment(5)->selectedLook());
        QTest::mouseClick(bar->segment(3), Qt::LeftButton);
        QCOMPARE(bar->selectedSegment(), 5);
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(clicks.at(0).at(0).toInt(), 5);
        QCOMPARE(clicks.at(1).at(0).toInt(), 3);
    }

    void swatchOnlyOnSegmentsWithOne()
    {
        auto bar = makeEditorLikeToolBar();
        bar->segment(4)->setSwatchColor(Qt::red);
        QVERIFY(!bar->segment(4)->swatchColor().isValid());
        bar->segment(16)->setSwatchColor(Qt::red);
        QCOMPARE(bar->segment(16)->swatchColor(), QColor(Qt::red));
    }

    void tealForTheFillColorStoresAndReportsIt()
    {
        ColorPaletteView view;
        view.setTarget(ColorPaletteView::Target::FillColor);
        QSignalSpy chosen(&view, &ColorPaletteView::colorChosen);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.palette()->button("teal"), Qt::LeftButton);
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("fillcolor")), QStringLiteral("teal"));
        QCOMPARE(view.palette()->namesTurnedOn(), QStringList{QStringLiteral("teal")});
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).value<ColorPaletteView::Target>(), ColorPaletteView::Target::FillColor);
        QCOMPARE(chosen.at(0).at(1).toString(), QStringLiteral("teal"));
        QVERIFY(!Preferences::standard().hasKey(QStringLiteral("linecolor")));
        QVERIFY(view.isVisible());   // the click does not close the palette
    }

    void lineColorStoresTheLastClicked()
    {
        ColorPaletteView view;
        view.setTarget(ColorPaletteView::Target::LineColor);
        QSignalSpy chosen(&view, &ColorPaletteView::colorChosen);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.palette()->button("navy"), Qt::LeftButton);
        QTest::mouseClick(view.palette()->button("maroon"), Qt::LeftButton);
        QCOMPARE(lineColorName(), QStringLiteral("maroon"));
        QCOMPARE(view.palette()->namesTurnedOn(), QStringList{QStringLiteral("maroon")});
        QCOMPARE(chosen.size(), 2);
        QCOMPARE(chosen.at(1).at(0).value<ColorPaletteView::Target>(), ColorPaletteView::Target::LineColor);
        QVERIFY(!Preferences::standard().hasKey(QStringLiteral("fillcolor")));
    }

    void withoutTargetAClickStoresNothing()
    {
        ColorPaletteView view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // Showing the palette reads (and so first stores) the banner color.
        QCOMPARE(bannerColorName(), QStringLiteral("red"));
        QTest::mouseClick(view.palette()->button("navy"), Qt::LeftButton);
        QVERIFY(view.palette()->button("navy")->isChecked());
        QCOMPARE(view.palette()->namesTurnedOn(), QStringList{QStringLiteral("navy")});
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("bannercolor")), QStringLiteral("red"));
        QVERIFY(!Preferences::standard().hasKey(QStringLiteral("linecolor")));
        QVERIFY(!Preferences::standard().hasKey(QStringLiteral("fillcolor")));
    }

    void bannerTargetStoresBannerColor()
    {
        ColorPaletteView view;
        view.setTarget(ColorPaletteView::Target::Banner);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.palette()->button("lime"), Qt::LeftButton);
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("bannercolor")), QStringLiteral("lime"));
    }

    void storedChoiceIsShownWhenThePaletteAppears_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("olive") << "olive" << "olive";
        QTest::newRow("white is the system white") << "white" << "white";
        QTest::newRow("clear") << "clear" << "white";
        QTest::newRow("outside the table") << "Teal" << "red";
        QTest::newRow("purple, last entry") << "purple" << "purple";
    }

    void storedChoiceIsShownWhenThePaletteAppears()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        Preferences::standard().setString(QStringLiteral("fillcolor"), stored);
        ColorPalettePopup popover(new ColorPaletteView);
        popover.view()->setTarget(ColorPaletteView::Target::FillColor);
        // A stale choice must be cleared when the palette appears again.
        popover.view()->palette()->button("aqua")->setChecked(true);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        QCOMPARE(popover.view()->palette()->namesTurnedOn(), QStringList{shown});
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("fillcolor")), stored);
    }

    void paletteTableMatchesNamedColors()
    {
        for (const PaletteEntry &entry : paletteEntries()) {
            QVERIFY(isKnownColorName(entry.name));
            QCOMPARE(hexString(hexColor(entry.rgb, 1.0)), hexString(macawColorNamed(entry.name)));
        }
        QCOMPARE(paletteEntries().size(), 16);
    }

    void widthButtonsStoreTheirWidth()
    {
        LineWidthPopup popover(new LineWidthView);
        LineWidthView *widths = popover.view();
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        const QList<QPair<QRadioButton *, int>> expected = {
            {widths->rbThinnest, 4}, {widths->rbThin, 5}, {widths->rbThick, 6},
            {widths->rbThicker, 7}, {widths->rbThickest, 8}};
        for (const auto &[button, width] : expected) {
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), width);
            QVERIFY(button->isChecked());
            for (const auto &other : expected)
                QCOMPARE(other.first->isChecked(), other.first == button);
        }
        // Clicking the button that is on leaves it on.
        QTest::mouseClick(widths->rbThickest, Qt::LeftButton);
        QVERIFY(widths->rbThickest->isChecked());
        // Reopening shows the stored choice.
        QTest::mouseClick(widths->rbThin, Qt::LeftButton);
        popover.hide();
        widths->rbThickest->setChecked(true);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        QVERIFY(widths->rbThin->isChecked());
        QVERIFY(!widths->rbThickest->isChecked());
    }

    void storedWidthOutsideTheFiveShowsThick_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("present");
        QTest::newRow("absent") << 0 << false;
        QTest::newRow("zero") << 0 << true;
        QTest::newRow("three") << 3 << true;
        QTest::newRow("nine") << 9 << true;
        QTest::newRow("negative") << -6 << true;
    }

    void storedWidthOutsideTheFiveShowsThick()
    {
        QFETCH(int, stored);
        QFETCH(bool, present);
        if (present)
            Preferences::standard().setInteger(QStringLiteral("linesize"), stored);
        LineWidthPopup popover(new LineWidthView);
        popover.view()->rbThinnest->setChecked(true);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        LineWidthView *widths = popover.view();
        QVERIFY(widths->rbThick->isChecked());
        for (QRadioButton *other : {widths->rbThinnest, widths->rbThin, widths->rbThicker, widths->rbThickest})
            QVERIFY(!other->isChecked());
        QCOMPARE(Preferences::standard().hasKey(QStringLiteral("linesize")), present);
        if (present)
            QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), stored);
    }

    void unknownTitleChangesNothing()
    {
        Preferences::standard().setInteger(QStringLiteral("linesize"), 7);
        LineWidthView widths;
        widths.showStoredChoice();
        QRadioButton stranger(QString{});
        widths.widthButtonClicked(&stranger);
        QRadioButton lookalike(QStringLiteral("thick"));
        widths.widthButtonClicked(&lookalike);
        widths.widthButtonClicked(nullptr);
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), 7);
        QVERIFY(widths.rbThicker->isChecked());
        QVERIFY(!widths.rbThick->isChecked());
    }

    void pointerOverTheTextViewIsTracked()
    {
        TextEntryPopup popover(new TextEntryView);
        TextEntryView *entry = popover.view();
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(entry->textview, &leave);
        QVERIFY(!entry->pointerInEditor);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(entry->textview->viewport(), &enter);
        QVERIFY(entry->pointerInEditor);
        // Leaving the viewport for the frame keeps the pointer in the view.
        QEvent leaveViewport(QEvent::Leave);
        QCoreApplication::sendEvent(entry->textview->viewport(), &leaveViewport);
        QVERIFY(entry->pointerInEditor);
        QCoreApplication::sendEvent(entry->textview, &leave);
        QVERIFY(!entry->pointerInEditor);
        // Entering elsewhere in the application does not count.
        QWidget elsewhere;
        QEvent enterElsewhere(QEvent::Enter);
        QCoreApplication::sendEvent(&elsewhere, &enterElsewhere);
        QVERIFY(!entry->pointerInEditor);
        // A popover that closes with the pointer inside is no longer under it.
        QCoreApplication::sendEvent(entry->textview, &enter);
        popover.close();
        QVERIFY(!entry->pointerInEditor);
    }

    void keyEquivalentsInTheTextViewAreSwallowed()
    {
        QWidget window;
        auto *field = new QLineEdit(&window);
        int triggered = 0;
        auto *save = new QAction(&window);
        save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        save->setShortcutContext(Qt::ApplicationShortcut);
        window.addAction(save);
        connect(save, &QAction::triggered, this, [&triggered] { ++triggered; });
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        field->setFocus();
        // The shortcut works from an ordinary field...
        QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(triggered, 1);

        TextEntryPopup popover(new TextEntryView);
        popover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popover));
        QPlainTextEdit *text = popover.view()->textview;
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), text, 5000);
        // ...but not from the text entry, which keeps typing.
        QTest::keyClicks(text, QStringLiteral("ab"));
        QTest::keyClick(text, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(triggered, 1);
        QCOMPARE(popover.view()->text(), QStringLiteral("ab"));
    }
};

VORNIK_TEST_MAIN(EditorPopoversTest, vtest::EnvironmentOptions{})
#include "editor_popovers_test.moc"
