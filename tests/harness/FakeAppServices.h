#pragma once

#include "app/AppServices.h"
#include "banner/ModalRuns.h"
#include "tests/harness/FakeDesktop.h"

#include <QList>
#include <QStringList>

namespace vtest {

// The desktop a test runs the application on, in place of AppServices::standard():
// its answers can change while the application runs, the questions are counted, and
// programs are recorded instead of started. It must outlive the application it was
// handed to.
struct FakeAppServices {
    bool captureBackendPresent = true;
    bool hotKeyBackendPresent = true;
    int hotKeyQuestions = 0;
    QList<QStringList> startedPrograms;   // each: the program, then its arguments
    std::shared_ptr<ModalRuns> modalRuns = ModalRuns::eventLoops();
    FakeDesktop desktop;

    AppServices services()
    {
        AppServices services;
        services.captureBackendPresent = [this] { return captureBackendPresent; };
        services.hotKeyBackendPresent = [this] {
            ++hotKeyQuestions;
            return hotKeyBackendPresent;
        };
        services.startProgram = [this](const QString &program, const QStringList &arguments) {
            startedPrograms << (QStringList{program} + arguments);
            return true;
        };
        services.modalRuns = modalRuns;
        services.desktop = desktop.services;
        return services;
    }
};

// A desktop with fixed answers, for tests that never change them; it starts no
// program and opens nothing.
inline AppServices fixedAppServices(bool captureBackendPresent = true, bool hotKeyBackendPresent = true)
{
    AppServices services;
    services.captureBackendPresent = [captureBackendPresent] { return captureBackendPresent; };
    services.hotKeyBackendPresent = [hotKeyBackendPresent] { return hotKeyBackendPresent; };
    services.startProgram = [](const QString &, const QStringList &) { return false; };
    services.modalRuns = ModalRuns::eventLoops();
    services.desktop = FakeDesktop().services;
    return services;
}

} // namespace vtest
