// The compositor's own capture with the portal behind it: a failed native grab is
// taken again by the portal, and after three failures in a row only the portal is asked.
#include "platform/FallbackCapture.h"
#include "tests/harness/TestMain.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
// Answers every grab with a picture of its colour, or with a failure while `failing`.
class FakeBackend : public CaptureBackend
{
public:
    FakeBackend(QString name, QColor colour, int *asked, bool *failing)
        : m_name(std::move(name)), m_colour(colour), m_asked(asked), m_failing(failing) {}
    QString name() const override { return m_name; }
    QImage grabScreen(QScreen *) override
    {
        ++*m_asked;
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(m_colour);
        return *m_failing ? QImage() : picture;
    }
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override
    {
        const QImage picture = grabScreen(screens.value(0));
        picture.isNull() ? done({}, QStringLiteral("refused")) : done({picture}, QString());
    }

private:
    QString m_name;
    QColor m_colour;
    int *m_asked;
    bool *m_failing;
};
} // namespace

class CaptureFallbackTest : public QObject
{
    Q_OBJECT

private slots:
    void portalTakesOverAfterThreeFailuresInARow()
    {
        int nativeAsked = 0, portalAsked = 0;
        bool nativeFails = true, portalFails = false;
        FallbackCapture capture(std::make_unique<FakeBackend>(QStringLiteral("kwin"), Qt::red, &nativeAsked, &nativeFails),
                                std::make_unique<FakeBackend>(QStringLiteral("portal"), Qt::blue, &portalAsked, &portalFails));
        QScreen *screen = QGuiApplication::primaryScreen();
        const auto colourOfGrab = [&] {
            QColor colour;
            capture.grabScreens({screen}, [&](const QList<QImage> &pictures, const QString &) {
                colour = pictures.value(0).pixelColor(0, 0);
            });
            return colour;
        };
        QCOMPARE(colourOfGrab(), QColor(Qt::blue));
        QCOMPARE(capture.grabScreen(screen).pixelColor(0, 0), QColor(Qt::blue));   // a single display alike
        nativeFails = false;   // a success clears the count
        QCOMPARE(colourOfGrab(), QColor(Qt::red));
        QCOMPARE(capture.grabScreen(screen).pixelColor(0, 0), QColor(Qt::red));
        nativeFails = true;
        for (int i = 0; i < FallbackCapture::failuresBeforeGivingUp; ++i)
            QCOMPARE(colourOfGrab(), QColor(Qt::blue));
        nativeFails = false;
        const int nativeBefore = nativeAsked;
        QCOMPARE(colourOfGrab(), QColor(Qt::blue));
        QCOMPARE(capture.grabScreen(screen).pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(nativeAsked, nativeBefore);
        QCOMPARE(capture.name(), QStringLiteral("kwin"));
    }
};

VORNIK_TEST_MAIN(CaptureFallbackTest, (vtest::EnvironmentOptions{.dbus = false}))
#include "capture_fallback_test.moc"
