// vornik-server: the sharing service that Vornik uploads to.

#include "server/AllowedUsers.h"
#include "server/DataFolderLock.h"
#include "server/HttpFrontend.h"
#include "server/Service.h"
#include "server/ServerOptions.h"
#include "service/Protocol.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace vornik::server;

namespace {

void printStoreReport(const StoreReport &store)
{
    std::fprintf(stderr,
                 "vornik-server: schema version %d of %d, %zu image files without rows, %zu rows without files, "
                 "database: %s\n",
                 store.schemaVersion, store.latestSchemaVersion, store.filesWithoutRows.size(),
                 store.rowsWithoutFiles.size(), store.integrity.c_str());
}

// The offline steps: --check, --repair and --migrate-storage. Returns the exit status.
int runOfflineStep(const ServerOptions &options, Service &service)
{
    if (options.migrateStorage) {
        std::string error;
        const int moved = service.migrateStorage(&error);
        if (moved < 0)
            std::fprintf(stderr, "vornik-server: %s; nothing was removed\n", error.c_str());
        else
            std::fprintf(stderr, "vornik-server: moved %d images into %s\n", moved, options.storage.c_str());
        service.close();
        return moved < 0 ? 1 : 0;
    }
    const StoreReport store = service.checkStore();
    printStoreReport(store);
    const bool repaired = options.repairStore && service.repairStore(store);
    service.close();
    return store.consistent() || (repaired && store.integrity == "ok") ? 0 : 1;
}

// The folder holding the SQLite database (and the image folder, when elsewhere)
// belongs to one process: a second server would repair files away under the first,
// and --check would report its uploads in progress as faults. PostgreSQL is meant
// to be shared, and needs no lock. False (with the message printed) when another
// process holds them.
bool lockDataFolders(const ServerOptions &options, DataFolderLock *database, DataFolderLock *images)
{
    if (options.databaseUrl.rfind("sqlite:", 0) != 0)
        return true;
    const std::string path = options.databaseUrl.substr(7);
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string error;
    bool locked = database->acquire(folder, &error);
    if (locked && !options.imagesInDatabase() && options.imageFolder() != folder)
        locked = images->acquire(options.imageFolder(), &error);
    if (locked)
        return true;
    const bool offline = options.checkStore || options.repairStore || options.migrateStorage;
    std::fprintf(stderr, "vornik-server: %s; %s\n", error.c_str(),
                 offline ? "stop it first: --check, --repair and --migrate-storage need the folder to themselves"
                         : "only one server may use it (several instances share a PostgreSQL database)");
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    const ParseResult parsed = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.options.showHelp) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "vornik-server: %s\n(see vornik-server --help)\n", parsed.error.c_str());
        return 2;
    }
    const ServerOptions &options = parsed.options;
    if (!options.addUser.empty()) {
        if (!vornik::protocol::isUserId(options.addUser)) {
            std::fprintf(stderr, "vornik-server: %s is not a user id (32 hex digits, from vornik --user-id)\n",
                         options.addUser.c_str());
            return 2;
        }
        std::printf("%s\n", AllowedUsers::lineFor(options.addUser).c_str());
        return 0;
    }

    // SIGTERM and SIGINT are taken by one thread that stops the server cleanly; every
    // other thread inherits the blocked mask. SIGPIPE from a vanished client is ignored.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // Every open connection is a descriptor: take all the system allows.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    DataFolderLock databaseFolder, imageFolder;
    if (!lockDataFolders(options, &databaseFolder, &imageFolder))
        return 1;
    Service service(options);
    std::string error;
    if (!service.open(&error)) {
        std::fprintf(stderr, "vornik-server: %s\n", error.c_str());
        return 1;
    }
    if (options.checkStore || options.repairStore || options.migrateStorage)
        return runOfflineStep(options, service);
    // A crash can leave image files that no row names; they go before serving. Not
    // on a shared store: there a file without a row may be another instance's upload
    // in progress (--repair, with every instance stopped, mends those).
    if (!service.sharedStore()) {
        const StoreReport store = service.checkStore();
        if (!store.filesWithoutRows.empty() || !store.rowsWithoutFiles.empty()) {
            printStoreReport(store);
            service.repairStore(store);
        }
        if (store.integrity != "ok")
            std::fprintf(stderr, "vornik-server: the database's integrity check says: %s\n", store.integrity.c_str());
    }
    HttpFrontend frontend(options, service);
    if (!frontend.valid()) {
        std::fprintf(stderr, "vornik-server: cannot load the certificate or key\n");
        return 1;
    }

    // On a stop signal: no new connections, let the requests in progress finish, close
    // the database and leave, without waiting for idle keep-alive connections. Files are always renamed into
    // place complete and the database commits each change, so nothing is half done.
    std::atomic<bool> listenFailed = false;
    std::thread stopper([&frontend, &service, &listenFailed, stopSignals] {
        int signal = 0;
        // SIGHUP loads the certificate and key again (after a renewal), and the users file.
        while (sigwait(&stopSignals, &signal) == 0 && signal == SIGHUP && !listenFailed) {
            if (!frontend.reloadCertificate())
                std::fprintf(stderr, "vornik-server: cannot load the certificate or key; keeping the old ones\n");
            std::string usersError;
            if (!service.reloadUsers(&usersError))
                std::fprintf(stderr, "vornik-server: %s; keeping the old list of users\n", usersError.c_str());
        }
        if (listenFailed)
            return;
        frontend.stopAndDrain();
        service.close();
        std::fflush(nullptr);
        _exit(0);
    });
    const bool served = frontend.listen();
    if (!served) {
        std::fprintf(stderr, "vornik-server: cannot listen on %s:%d\n", options.listenHost.c_str(), options.listenPort);
        listenFailed = true;
        pthread_kill(stopper.native_handle(), SIGTERM);
    }
    stopper.join();
    return served ? 0 : 1;
}
