// The client's windows, menus and overlay in German, Ukrainian and a pseudo-language whose every
// text is marked and about 40 % longer. Under the pseudo-language each visible text,
// window title, tool tip and accessible name must carry the marks (a text without them
// did not come through the translation system); in every language no label, button or
// column title may be cut off. With VORNIK_SHOTS_DIR set, each window and menu is also
// saved there as <language>-<name>.png.
#include "app/LauncherWindow.h"
#include "app/PermissionWindow.h"
#include "app/PreferencesWindow.h"
#include "app/PermissionWindowContent.h"
#include "app/Translations.h"
#include "app/TrayApp.h"
#include "banner/BannerActions.h"
#include "banner/BannerColorWindow.h"
#include "banner/BannerWindow.h"
#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "editor/ColorPalettePopup.h"
#include "editor/EditorWindow.h"
#include "editor/LineWidthPopup.h"
#include "editor/TextEntryPopup.h"
#include "history/HistoryTable.h"
#include "history/HistoryWindow.h"
#include "history/RecentUploadsMenu.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/ScriptedHttpServer.h"
#include "tests/harness/TestMain.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <memory>

namespace {

constexpr int kWaitMs = 10000;
const QChar kOpen(0x27E6);    // ⟦
const QChar kClose(0x27E7);   // ⟧

// Every text marked at both ends and lengthened by about 40 %, placeholders kept.
class PseudoTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *source, const char *, int) const override
    {
        const QString text = QString::fromUtf8(source);
        return kOpen + text + QString((text.size() * 2 + 4) / 5, QLatin1Char('~')) + kClose;
    }
};

// Texts that are data, not words: links, numbers, the product's name.
bool isData(const QString &text)
{
    static const QRegularExpression noWords(QStringLiteral("^[\\d\\W_]*$"));
    return text.contains(QLatin1String("://")) || noWords.match(text).hasMatch() || text == QLatin1String("Vornik");
}

class Inspection
{
public:
    Inspection(QString language, bool pseudo)
        : m_language(std::move(language))
        , m_pseudo(pseudo)
    {
    }

    QStringList problems;

    // Checks `top` and its visible children (all of them with `hiddenToo`: the overlay
    // shows its buttons only beside a selection), then saves its picture when asked to.
    void inspect(QWidget *top, const QString &name, bool hiddenToo = false)
    {
        QList<QWidget *> widgets = top->findChildren<QWidget *>();
        widgets.prepend(top);
        for (QWidget *widget : std::as_const(widgets)) {
            if (widget != top && !widget->isVisibleTo(top) && !hiddenToo)
                continue;
            const QString where = name + QLatin1Char('/')
                                  + (widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                                    : widget->objectName());
            inspectWidget(widget, where);
        }
        save(top, name);
    }

private:
    QString m_language;
    bool m_pseudo;

    void checkTranslated(const QString &where, const QString &text)
    {
        const QString plain = text.trimmed();
        // Starting with the mark: a text built from a translated part and an untranslated
        // one (a key name that Qt translates, for instance) must not pass for translated.
        if (m_pseudo && !plain.isEmpty() && !isData(plain) && !(plain.startsWith(kOpen) && plain.contains(kClose)))
            problems << QStringLiteral("%1: not translated: \"%2\"").arg(where, plain);
    }

    void checkFits(const QString &where, const QString &text, bool cut)
    {
        if (cut)
            problems << QStringLiteral("%1: cut off: \"%2\"").arg(where, text);
    }

    void inspectWidget(QWidget *widget, const QString &where)
    {
        if (widget->isWindow())
            checkTranslated(where + QStringLiteral(" (title)"), widget->windowTitle());
        checkTranslated(where + QStringLiteral(" (tool tip)"), widget->toolTip());
        checkTranslated(where + QStringLiteral(" (accessible name)"), widget->accessibleName());
        if (auto *label = qobject_cast<QLabel *>(widget); label && !label->text().isEmpty()) {
            checkTranslated(where, label->text());
            const QRect inside = label->contentsRect();
            const bool cut = label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                                               : label->sizeHint().width() > label->width()
                                                     || label->fontMetrics().height() > inside.height();
            checkFits(where, label->text(), cut);
        }
        if (auto *button = qobject_cast<QAbstractButton *>(widget); button && !button->text().isEmpty()) {
            auto *tool = qobject_cast<QToolButton *>(button);
            if (!tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly) {
                checkTranslated(where, button->text());
                checkFits(where, button->text(), button->sizeHint().width() > button->width());
            }
        }
        if (auto *header = qobject_cast<QHeaderView *>(widget))
            inspectHeader(header, where);
        if (auto *menu = qobject_cast<QMenu *>(widget)) {
            for (QAction *action : menu->actions()) {
                checkTranslated(where + QLatin1Char('/') + action->text(), action->text());
                // An upload's entry carries its address as its tool tip.
                if (action->toolTip() != action->text().remove(QLatin1Char('&')))
                    checkTranslated(where + QStringLiteral(" (entry tip)"), action->toolTip());
            }
        }
    }

    void inspectHeader(QHeaderView *header, const QString &where)
    {
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int section = 0; section < header->count(); ++section) {
            const QString title = header->model()->headerData(section, header->orientation()).toString();
            checkTranslated(where, title);
            const int needed = header->fontMetrics().horizontalAdvance(title) + 2 * margin;
            checkFits(where, title, needed > header->sectionSize(section));
        }
    }

    void save(QWidget *top, const QString &name) const
    {
        const QString folder = qEnvironmentVariable("VORNIK_SHOTS_DIR");
        if (!folder.isEmpty())
            top->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, m_language, name));
    }
};

// Shows `widget` and waits until the window system has it on screen.
bool showAndWait(QWidget *widget)
{
    widget->show();
    return QTest::qWaitForWindowExposed(widget, kWaitMs);
}

bool popUpAndWait(QMenu *menu, const QPoint &at)
{
    menu->popup(at);
    return QTest::qWaitForWindowExposed(menu, kWaitMs);
}

} // namespace

class TranslatedWindowsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<vtest::ScriptedHttpServer> m_server;
    vtest::FakeAppServices m_services;

    // Installs the language of the running case as a desktop in that language has it
    // (translations and the locale's dates): the real translations of de and uk, or
    // the pseudo-language.
    struct Language {
        std::unique_ptr<Translations> real;
        PseudoTranslator pseudo;
        bool pseudoInstalled = false;
        const QLocale before;
        explicit Language(const QString &name)
        {
            if (name == QLatin1String("pseudo")) {
                pseudoInstalled = QCoreApplication::installTranslator(&pseudo);
                return;
            }
            QLocale::setDefault(QLocale(name));
            real = std::make_unique<Translations>(QLocale(name));
        }
        ~Language()
        {
            QLocale::setDefault(before);
            if (pseudoInstalled)
                QCoreApplication::removeTranslator(&pseudo);
        }
    };

    void inspectStatusMenu(Inspection &inspection)
    {
        TrayApp tray(m_services.services());
        tray.setCaptureStarter([] {});
        tray.setTerminator([] {});
        tray.setRelauncher([](const QString &, const QStringList &) { return true; });
        tray.start();
        QMenu *menu = tray.statusMenu();
        QVERIFY(menu);
        QVERIFY(popUpAndWait(menu, QPoint(40, 40)));
        inspection.inspect(menu, QStringLiteral("tray-menu"));
        // The submenus, each opened beside the menu; History fetches the recent uploads.
        int opened = 0;
        const QList<QMenu *> submenus = menu->findChildren<QMenu *>();
        for (QMenu *submenu : submenus) {
            auto *history = qobject_cast<RecentUploadsMenu *>(submenu);
            std::unique_ptr<QSignalSpy> arrived;
            if (history)
                arrived = std::make_unique<QSignalSpy>(history, &RecentUploadsMenu::historyArrived);
            QVERIFY(popUpAndWait(submenu, menu->geometry().topRight() + QPoint(0, 20 * opened)));
            if (arrived)
                QVERIFY(!arrived->isEmpty() || arrived->wait(kWaitMs));
            inspection.inspect(submenu, QStringLiteral("tray-menu-%1").arg(++opened));
            submenu->hide();
        }
        QVERIFY(opened >= 3);
        menu->hide();
    }

    // The launcher window with its note on the missing tray, and the Preferences window,
    // both opened the way the tray application opens them.
    void inspectLauncherAndPreferences(Inspection &inspection)
    {
        TrayApp tray(m_services.services());
        tray.setCaptureStarter([] {});
        tray.setTerminator([] {});
        tray.setRelauncher([](const QString &, const QStringList &) { return true; });
        tray.start();
        tray.showLauncherWindow();
        QPointer<LauncherWindow> launcher = tray.launcherWindow();
        QVERIFY(launcher);
        launcher->setTrayMissingNoteVisible(true);
        QVERIFY(QTest::qWaitForWindowExposed(launcher, kWaitMs));
        inspection.inspect(launcher, QStringLiteral("launcher"));
        delete launcher.data();
        tray.openPreferences();
        QPointer<PreferencesWindow> preferences = tray.preferencesWindow();
        QVERIFY(preferences);
        QVERIFY(QTest::qWaitForWindowExposed(preferences, kWaitMs));
        inspection.inspect(preferences, QStringLiteral("preferences"));
        delete preferences.data();
    }

    void inspectEditor(Inspection &inspection)
    {
        QImage picture(900, 560, QImage::Format_RGB32);
        picture.fill(QColor(90, 130, 170));
        QPointer<EditorWindow> editor =
            EditorWindow::openOn(picture, QGuiApplication::primaryScreen(), nullptr, m_services.desktop.services);
        QVERIFY(editor);
        QVERIFY(QTest::qWaitForWindowExposed(editor, kWaitMs));
        inspection.inspect(editor, QStringLiteral("editor"));
        const QList<QPair<QWidget *, QString>> popovers{{editor->lineWidthPopup, QStringLiteral("editor-line-width")},
                                                        {editor->colorPopup, QStringLiteral("editor-colors")},
                                                        {editor->textPopup, QStringLiteral("editor-text")}};
        for (const auto &[popover, name] : popovers) {
            QVERIFY(popover);
            QVERIFY(showAndWait(popover));
            inspection.inspect(popover, name);
            popover->hide();
        }
        editor->setAttribute(Qt::WA_DeleteOnClose, false);
        delete editor.data();
    }

    void inspectHistory(Inspection &inspection)
    {
        HistoryWindow window(m_services.desktop.services);
        QSignalSpy loaded(window.historyTable.data(), &HistoryTable::historyLoaded);
        window.showWindow();
        QVERIFY(loaded.wait(kWaitMs));
        QCOMPARE(loaded.first().first().toInt(), 3);
        QVERIFY(QTest::qWaitForWindowExposed(&window, kWaitMs));
        inspection.inspect(&window, QStringLiteral("history"));
    }

    void inspectBanner(Inspection &inspection)
    {
        BannerWindow banner(BannerActions(m_services.desktop.services));
        QVERIFY(showAndWait(&banner));
        inspection.inspect(&banner, QStringLiteral("banner"));
        BannerColorWindow colors;
        QVERIFY(showAndWait(&colors));
        inspection.inspect(&colors, QStringLiteral("banner-color"));
    }

    void inspectPermission(Inspection &inspection)
    {
        auto *window = new PermissionWindow;
        window->resize(440, 140);
        PermissionWindowContent content(m_services.services().startProgram, m_services.desktop.services.opener);
        content.setView(window);
        content.buildContent();
        QVERIFY(showAndWait(window));
        inspection.inspect(window, QStringLiteral("permission"));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        delete window;
    }

    void inspectOverlay(Inspection &inspection)
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        QImage picture(screen->geometry().size(), QImage::Format_RGB32);
        picture.fill(QColor(200, 210, 220));
        OverlayController overlay(QStringLiteral("overlay"), *m_services.desktop.services.notifier);
        overlay.setDisplay(screen, picture);
        overlay.window();
        overlay.prepareOverlay();
        overlay.showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(overlay.window(), kWaitMs));
        QVERIFY(overlay.editButton && overlay.cancelButton);
        inspection.inspect(overlay.window(), QStringLiteral("overlay"), true);
        overlay.hideOverlay();
    }

private slots:
    void initTestCase()
    {
        // A service whose history holds three uploads, the newest first.
        m_server = std::make_unique<vtest::ScriptedHttpServer>([](const vtest::ScriptedHttpServer::Request &request) {
            if (request.target.startsWith("/history/"))
                return std::optional<vtest::ScriptedHttpServer::Reply>(
                    {200, R"({"1709647620000":"b7Kq","1700000000000":"x9Tr","1699945200000":"Zz0a"})"});
            return std::optional<vtest::ScriptedHttpServer::Reply>({200, "salt"});
        });
        QVERIFY(m_server->start());
        qputenv("VORNIK_SERVICE_URL", m_server->baseUrl().chopped(1).toUtf8());
        qputenv("TZ", "UTC");
        m_services.desktop.reachability->connected = true;
    }

    void everyTextTranslatedAndWhole_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("pseudo") << QStringLiteral("pseudo");
        QTest::newRow("de") << QStringLiteral("de");
        QTest::newRow("uk") << QStringLiteral("uk");
    }

    void everyTextTranslatedAndWhole()
    {
        QFETCH(QString, language);
        Language installed(language);
        if (installed.real)
            QCOMPARE(installed.real->language(), language);
        Inspection inspection(language, language == QLatin1String("pseudo"));
        inspectStatusMenu(inspection);
        inspectLauncherAndPreferences(inspection);
        inspectEditor(inspection);
        inspectHistory(inspection);
        inspectBanner(inspection);
        inspectPermission(inspection);
        inspectOverlay(inspection);
        QVERIFY2(inspection.problems.isEmpty(), qPrintable(inspection.problems.join(QLatin1Char('\n'))));
    }
};

VORNIK_TEST_MAIN(TranslatedWindowsTest, (vtest::EnvironmentOptions{.x11 = true}))
#include "translated_windows_test.moc"
