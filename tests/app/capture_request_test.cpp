// What `vornik --capture` hands the running Vornik: every mode and output comes back
// from its line as sent, and a region is refused unless it has a width and a height.
#include "app/CaptureRequest.h"
#include "tests/harness/TestMain.h"

class CaptureRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void everyModeAndOutputComesBack()
    {
        using Mode = CaptureRequest::Mode;
        using Output = CaptureRequest::Output;
        for (Mode mode : {Mode::Overlay, Mode::Full, Mode::Window, Mode::Region}) {
            for (Output output : {Output::Save, Output::Copy, Output::Upload, Output::Stdout}) {
                CaptureRequest sent;
                sent.mode = mode;
                sent.output = output;
                sent.region = mode == Mode::Region ? QRect(-5, 7, 1, 1) : QRect();
                sent.path = QStringLiteral("/home/a/shot.png");
                const std::optional<CaptureRequest> read = CaptureRequest::fromLine(sent.toLine());
                QVERIFY2(read, sent.toLine().constData());
                QVERIFY(read->mode == mode && read->output == output && read->delaySeconds == 0);
                QCOMPARE(read->region, sent.region);
                QCOMPARE(read->path, sent.path);
            }
        }
        QCOMPARE(CaptureRequest::fromLine(R"({"mode":"full","output":"copy","delay":3})")->delaySeconds, 3);
        for (const char *refused : {R"({"mode":"full","output":"copy","delay":-1})", R"({"mode":"full","output":"copy"})",
                                    R"({"mode":"all","output":"copy","delay":0})", R"({"mode":"region","output":"copy","delay":0,"region":[0,0,5]})",
                                    R"({"mode":"region","output":"copy","delay":0,"region":[0,0,0,5]})"})
            QVERIFY2(!CaptureRequest::fromLine(refused), refused);
    }

    void regionNeedsAWidthAndAHeight()
    {
        QCOMPARE(parseRegion(QStringLiteral("-10, 20,1,1")), QRect(-10, 20, 1, 1));
        for (const char *refused : {"0,0,0,1", "0,0,1,0", "0,0,-3,4", "0,0,3", "0,0,3,4,5", "a,0,3,4"})
            QVERIFY2(!parseRegion(QLatin1String(refused)), refused);
    }
};

VORNIK_TEST_MAIN(CaptureRequestTest, (vtest::EnvironmentOptions{.dbus = false}))
#include "capture_request_test.moc"
