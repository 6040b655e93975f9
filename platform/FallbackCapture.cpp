#include "platform/FallbackCapture.h"

#include "platform/CaptureTrace.h"

#include <QPointer>
#include <QScreen>

#include <cstdio>

FallbackCapture::FallbackCapture(std::unique_ptr<CaptureBackend> native, std::unique_ptr<CaptureBackend> fallback)
    : m_native(std::move(native))
    , m_fallback(std::move(fallback))
    , m_nativeStep("grabbed-by-" + m_native->name().toLatin1())
    , m_fallbackStep("grabbed-by-" + m_fallback->name().toLatin1())
{
}

QImage FallbackCapture::grabScreen(QScreen *screen)
{
    if (m_failuresInARow < failuresBeforeGivingUp) {
        const QImage picture = m_native->grabScreen(screen);
        if (!picture.isNull())
            return picture;
    }
    return m_fallback->grabScreen(screen);
}

void FallbackCapture::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    if (m_failuresInARow >= failuresBeforeGivingUp) {
        grabWithFallback(screens, done);
        return;
    }
    // The native backend may answer from the event loop, when a display may be gone.
    QList<QPointer<QScreen>> guarded(screens.cbegin(), screens.cend());
    m_native->grabScreens(screens, [this, guarded, done](const QList<QImage> &pictures, const QString &failure) {
        if (failure.isEmpty()) {
            m_failuresInARow = 0;
            traceCaptureStep(m_nativeStep.constData());
            done(pictures, failure);
            return;
        }
        ++m_failuresInARow;
        std::fprintf(stderr, "Vornik: the %s capture failed (%s); asking the screenshot portal\n",
                     qPrintable(m_native->name()), qPrintable(failure));
        QList<QScreen *> screens;
        for (const QPointer<QScreen> &screen : guarded) {
            if (!screen) {
                done({}, QStringLiteral("a display went away while the screenshot was taken"));
                return;
            }
            screens.append(screen);
        }
        grabWithFallback(screens, done);
    });
}

void FallbackCapture::grabWithFallback(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    // What the portal has to say while it waits (GNOME's permission question) reaches
    // whoever listens to this backend.
    m_fallback->setNoticeHandler(m_notice);
    m_fallback->setBackdropHandler(m_backdropsReady);
    m_fallback->grabScreens(screens, [this, done](const QList<QImage> &pictures, const QString &failure) {
        if (failure.isEmpty())
            traceCaptureStep(m_fallbackStep.constData());
        done(pictures, failure);
    });
}
