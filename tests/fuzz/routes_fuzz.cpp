// libFuzzer target: a request through the routes into the service, on a store in a
// temporary folder. Input: method, target and content type on the first three lines,
// the body after them. An answer from memory (a raw image read again) must agree
// with the one the routes give.
#include "server/Routes.h"
#include "service/Protocol.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QImage>

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

std::string md5(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5).toHex().toStdString();
}

// The name of one image uploaded before fuzzing starts: "NAME" in an input's target
// stands for it, so that inputs reach the replies of an image that exists.
const std::string &storedName()
{
    static const std::string name = [] {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(0xff336699);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        const std::string token = md5(service().salt().body + std::string(vornik::protocol::sharedKey));
        const std::string dash = "--vb\r\n";
        const std::string form = dash + "Content-Disposition: form-data; name=\"name\"\r\n\r\nuserid\r\n" + dash
                               + "Content-Disposition: form-data; name=\"" + std::string(vornik::protocol::formUserIdField)
                               + "\"\r\n\r\n" + md5("fuzz user") + "\r\n" + dash
                               + "Content-Disposition: form-data; name=\"filename\"; filename=\"a.png\"\r\n"
                               + "Content-Type: image/png\r\n\r\n" + png.toStdString() + "\r\n--vb--\r\n";
        const Reply uploaded = service().upload(token, "multipart/form-data; boundary=vb", form);
        const size_t slash = uploaded.body.rfind('/');
        if (uploaded.status != 200 || slash == std::string::npos || uploaded.body.size() < slash + 5)
            std::abort();
        return uploaded.body.substr(slash + 1, uploaded.body.size() - slash - 5);
    }();
    return name;
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
    std::string target(line(rest));
    for (size_t at = target.find("NAME"); at != std::string::npos; at = target.find("NAME", at + 1))
        target.replace(at, 4, storedName());
    request.target = target;
    request.contentType = line(rest);
    request.body = rest;
    const Reply reply = route(service(), request);
    if (reply.status < 200 || reply.status > 599)
        __builtin_trap();
    // An answer from memory is only ever the one the routes have just given.
    if (const auto remembered = routeFromMemory(service(), request)) {
        if (reply.status != 200 || remembered->status != 200 || remembered->file != reply.file
            || remembered->etag != reply.etag || remembered->cacheControl != reply.cacheControl)
            __builtin_trap();
    }
    return 0;
}
