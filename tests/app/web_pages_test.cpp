#include "service/WebPages.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestMain.h"

#include <QUrl>

// Every page address Vornik opens ("About/Usage Video For Vornik", "Help", the
// permission window's Help and the editor's help segment) is a page the configured
// vornik-server really serves.
class WebPagesTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;

    QString fetched(const QString &address) { return QString::fromUtf8(vtest::fetchUrl(QUrl(address))); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
    }

    void everyOpenedAddressIsServed()
    {
        QCOMPARE(homePageUrl(), m_server.baseUrl());
        const QString home = fetched(homePageUrl());
        QVERIFY2(home.contains(QStringLiteral("<h1>Vornik sharing service</h1>")), qPrintable(home.left(200)));

        // The permission window's Help opens the help page at its "#bottom" anchor.
        const QUrl permissionHelp(helpPageUrl() + QStringLiteral("#bottom"));
        QCOMPARE(permissionHelp.fragment(), QStringLiteral("bottom"));
        const QString screenHelp = fetched(permissionHelp.adjusted(QUrl::RemoveFragment).toString());
        QVERIFY2(screenHelp.contains(QStringLiteral("id=\"bottom\"")), qPrintable(screenHelp.left(200)));

        // The editor's help segment opens the service's editor page (its link is
        // checked in the editor's own test).
        const QString editorHelp = fetched(homePageUrl() + QStringLiteral("help/editor"));
        QVERIFY2(editorHelp.contains(QStringLiteral("<h1>The Vornik editor</h1>")), qPrintable(editorHelp.left(200)));
        // It says how to hide something for sure, as the pixelate and blur tool tips point to.
        QVERIFY(editorHelp.contains(QStringLiteral("id=\"hiding\"")) &&
                editorHelp.contains(QStringLiteral("<strong>filled rectangle</strong>")));
    }

    // Only a whole address goes to the desktop, and its answer is what the caller gets.
    void onlyWholeAddressesAreOpened()
    {
        vtest::RecordingOpener opener;
        for (const char *refused : {"", "no scheme here", "http://exa mple.org/"})
            QVERIFY2(!openWebPageText(opener, QLatin1String(refused)), refused);
        QVERIFY(opener.opened.isEmpty());
        QVERIFY(openWebPageText(opener, helpPageUrl()));
        opener.answer = false;
        QVERIFY(!openWebPageText(opener, homePageUrl()));
        QCOMPARE(opener.opened, (QList<QUrl>{QUrl(helpPageUrl()), QUrl(homePageUrl())}));
    }

    void cleanupTestCase() { QVERIFY(m_server.stop()); }
};

VORNIK_TEST_MAIN(WebPagesTest, (vtest::EnvironmentOptions{.dbus = false}))
#include "web_pages_test.moc"
