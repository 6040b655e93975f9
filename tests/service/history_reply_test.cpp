#include "service/HistoryReply.h"
#include "tests/harness/TestMain.h"

// History replies taken apart the way both history views read them.
class HistoryReplyTest : public QObject
{
    Q_OBJECT
private:
    const QString m_base = QStringLiteral("https://share.example/");
    const QLocale m_english{QLocale::English, QLocale::UnitedStates};

    QList<HistoryEntry> parse(const QString &body) const
    {
        return parseHistoryReply(body, m_base, m_english, QTimeZone::utc());
    }

private slots:
    void emptyRepliesHoldNoEntries()
    {
        QVERIFY(parse(QStringLiteral("{}")).isEmpty());
        QVERIFY(parse(QString()).isEmpty());
        QVERIFY(parse(QStringLiteral("server returned error code")).isEmpty());
        QVERIFY(parse(QStringLiteral("not implemented")).isEmpty());
    }

    void entriesKeepReplyOrder()
    {
        const auto entries = parse(QStringLiteral(R"({"1709647620000":"b7Kq","1700000000000":"x","1699945200000":"Zz0"})"));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(0).address, QStringLiteral("https://share.example/b7Kq.png"));
        QCOMPARE(entries.at(1).address, QStringLiteral("https://share.example/x.png"));
        QCOMPARE(entries.at(2).name, QStringLiteral("Zz0"));
        // The 24-hour hour followed by the AM/PM marker and the zone.
        QCOMPARE(entries.at(0).uploadTime, QStringLiteral("Mar 05, 2024 14:07 PM UTC"));
        QCOMPARE(entries.at(1).uploadTime, QStringLiteral("Nov 14, 2023 22:13 PM UTC"));
        QCOMPARE(entries.at(2).uploadTime, QStringLiteral("Nov 14, 2023 7:00 AM UTC"));
    }

    void timesFollowTheZone()
    {
        const QTimeZone plusTwo(2 * 3600);
        const auto entries = parseHistoryReply(QStringLiteral(R"({"1699945200000":"a"})"), m_base, m_english, plusTwo);
        QCOMPARE(entries.size(), 1);
        QVERIFY2(entries.first().uploadTime.startsWith(QStringLiteral("Nov 14, 2023 9:00 AM")),
                 qPrintable(entries.first().uploadTime));
    }

    // English keeps the pattern above in every English locale; other languages show the
    // locale's own day-month-year order, names and 24-hour clock with the full year.
    void timesFollowTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QString afternoon = QStringLiteral("1709647620000");
        const QString morning = QStringLiteral("1699945200000");
        QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << afternoon
                               << QStringLiteral("Mar 05, 2024 14:07 PM UTC");
        QTest::newRow("en_US morning") << m_english << morning << QStringLiteral("Nov 14, 2023 7:00 AM UTC");
        QTest::newRow("de_DE") << german << afternoon << QStringLiteral("05.03.2024 14:07 UTC");
        QTest::newRow("de_DE morning") << german << morning << QStringLiteral("14.11.2023 07:00 UTC");
        QTest::newRow("uk_UA") << QLocale(QLocale::Ukrainian, QLocale::Ukraine) << afternoon
                               << QStringLiteral("05.03.2024 14:07 UTC");
    }

    void timesFollowTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const auto entries = parseHistoryReply(QStringLiteral("{\"%1\":\"a\"}").arg(key), m_base, locale, QTimeZone::utc());
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().uploadTime, expected);
    }

    void oddPiecesAreSkippedOrCut()
    {
        const auto entries = parse(QStringLiteral(R"({"later":"a","1700000000000":"b:c","novalue",)"
                                                  R"("1700000000000": "d e" ,"1700000000000":"","nan":"n"})"));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(0).name, QStringLiteral("b"));          // cut at the ":"
        QCOMPARE(entries.at(1).name, QStringLiteral(" d e "));      // nothing trimmed
        QCOMPARE(entries.at(1).address, QStringLiteral("https://share.example/ d e .png"));
        QCOMPARE(entries.at(2).name, QString());
        QCOMPARE(entries.at(2).rawValue, QStringLiteral("\"\""));   // the history window shows it raw
        QCOMPARE(entries.at(2).address, QStringLiteral("https://share.example/.png"));
    }

    void fractionalAndHugeKeys()
    {
        const auto entries = parse(QStringLiteral(R"({"1700000000000.9":"f","1e300":"big"})"));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().uploadTime, QStringLiteral("Nov 14, 2023 22:13 PM UTC"));
    }

    // Only keys within the span a date can hold make entries: a key beyond it, on
    // either side, must never reach the conversion to a 64-bit count.
    void keysAtAndBeyondTheDateRange()
    {
        const auto entries = parse(QStringLiteral(R"({"-1e300":"a","-8.7e15":"b","8.7e15":"c","-inf":"d",)"
                                                  R"("-8.64e15":"first","8.64e15":"last","-0.5":"before"})"));
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries.at(0).name, QStringLiteral("first"));
        QCOMPARE(entries.at(0).uploadTime, QStringLiteral("Apr 20, -271822 0:00 AM UTC"));
        QCOMPARE(entries.at(1).name, QStringLiteral("last"));
        QCOMPARE(entries.at(1).uploadTime, QStringLiteral("Sep 13, 275760 0:00 AM UTC"));
        // Fractions round down, also before 1970.
        QCOMPARE(entries.at(2).uploadTime, QStringLiteral("Dec 31, 1969 23:59 PM UTC"));
    }
};

VORNIK_TEST_MAIN(HistoryReplyTest, vtest::EnvironmentOptions{})
#include "history_reply_test.moc"
