#include "helpers/Links.h"
#include "tests/harness/TestMain.h"

// Which texts count as one web link: a reply of the sharing service becomes a link
// by prefixing "https://", and error texts must not slip through.
class LinksTest : public QObject
{
    Q_OBJECT
private slots:
    void validLinks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("image") << QStringLiteral("https://example.com/a.png");
        QTest::newRow("plain http, port, query") << QStringLiteral("http://localhost:8443/i/x.png?size=2#top");
        QTest::newRow("ip address") << QStringLiteral("https://127.0.0.1:9000/u/abc");
        QTest::newRow("upper-case scheme") << QStringLiteral("HTTPS://Example.COM/");
    }
    void validLinks()
    {
        QFETCH(QString, text);
        QVERIFY2(isValidURL(text), qPrintable(text));
    }

    void invalidLinks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("error reply") << QStringLiteral("https://Error: File doesn't exist");
        QTest::newRow("error words") << QStringLiteral("https://server returned error code");
        QTest::newRow("bare scheme") << QStringLiteral("https://");
        QTest::newRow("trailing space") << QStringLiteral("https://example.com/a.png ");
        QTest::newRow("two links") << QStringLiteral("https://a.com/x https://b.com/y");
        QTest::newRow("line break") << QStringLiteral("https://example.com/a\n.png");
        QTest::newRow("empty") << QString();
        QTest::newRow("no scheme") << QStringLiteral("example.com/a.png");
        QTest::newRow("other scheme") << QStringLiteral("file:///etc/passwd");
        QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)");
        QTest::newRow("no slashes") << QStringLiteral("https:example.com");
        QTest::newRow("error without blanks") << QStringLiteral("https://Error:Missing");
        QTest::newRow("html reply") << QStringLiteral("https://<html>");
    }
    void invalidLinks()
    {
        QFETCH(QString, text);
        QVERIFY2(!isValidURL(text), qPrintable(text));
    }
};

VORNIK_TEST_MAIN(LinksTest, ([] {
                     vtest::EnvironmentOptions options;
                     options.dbus = false; // nothing here talks to the bus
                     return options;
                 }()))
#include "links_test.moc"
