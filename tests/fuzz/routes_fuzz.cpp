// libFuzzer target: a request through the routes into the service, on a store in a
// temporary folder. Input: method, target and content type on the first three lines,
// the body after them.
#include "server/Routes.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

using namespace vornik::server;

namespace {

Service &service()
{
    static Service *made = [] {
        static char folder[] = "/tmp/vornik-fuzz-XXXXXX";
        ServerOptions options;
        options.dataDir = mkdtemp(folder);
        options.publicUrl = "http://127.0.0.1:1/";
        options.rateLimitPerMinute = 0;  // every input comes from the same nameless client
        auto *opened = new Service(options);
        std::string error;
        if (!opened->open(&error))
            std::abort();
        return opened;
    }();
    return *made;
}

std::string_view line(std::string_view &rest)
{
    const size_t end = rest.find('\n');
    const std::string_view taken = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return taken;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view rest(reinterpret_cast<const char *>(data), size);
    RouteRequest request;
    request.method = line(rest);
    request.target = line(rest);
    request.contentType = line(rest);
    request.body = rest;
    const Reply reply = route(service(), request);
    if (reply.status < 200 || reply.status > 599)
        __builtin_trap();
    return 0;
}
