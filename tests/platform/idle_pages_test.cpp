#include "platform/IdlePages.h"
#include "tests/harness/TestMain.h"

#include <QTest>

// The tray hands its start-up pages back once it idles; they must really leave the
// working set, and the program must go on running from them.
class IdlePagesTest : public QObject
{
    Q_OBJECT
private slots:
    void programPagesLeaveTheWorkingSetAndComeBack()
    {
        const qint64 before = residentProgramBytes();
        QVERIFY2(before > 0, "the executable's own mappings are not found");
        const qint64 released = releaseIdleProgramPages();
        if (released < 0)
            QSKIP("this kernel cannot page out (MADV_PAGEOUT came with Linux 5.4)");
        QVERIFY(released > 0);
        const qint64 after = residentProgramBytes();
        QVERIFY2(after < before, qPrintable(QStringLiteral("%1 bytes before, %2 after").arg(before).arg(after)));
        // Code that was handed back runs again, faulted in from the page cache.
        const qint64 again = residentProgramBytes();
        QVERIFY(again > 0);
        QVERIFY(releaseIdleProgramPages() > 0);
    }
};

VORNIK_TEST_MAIN(IdlePagesTest, vtest::EnvironmentOptions{})
#include "idle_pages_test.moc"
