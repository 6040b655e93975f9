#include "server/HttpFrontend.h"

#include "server/AddressNetwork.h"
#include "server/ConnectionCounter.h"
#include "server/HelpPages.h"
#include "server/Routes.h"
#include "server/Service.h"
#include "server/StreamedFileBody.h"
#include "server/TransferRate.h"

#include <algorithm>
#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;

namespace vornik::server {
namespace {

using namespace std::chrono_literals;

constexpr size_t headerLimit = 16 * 1024;  // every header line of a request together
constexpr long maxHeaderFields = 100;
constexpr int maxRequestsPerConnection = 1000;
// The body of any request but an upload (none of them uses one) is read into memory
// up to this size; an upload's goes to a temporary file.
constexpr size_t smallBodyLimit = 16 * 1024;
const char *const outOfResources = "the server is out of resources right now; try again shortly";

// TLS 1.2 suites with forward secrecy and authenticated encryption only (the
// "intermediate" server profile, without finite-field Diffie-Hellman); TLS 1.3
// suites are all of that kind.
const char *const tls12Suites = "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
                                "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
                                "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

std::shared_ptr<ssl::context> makeTlsContext(const ServerOptions &options)
{
    auto context = std::make_shared<ssl::context>(ssl::context::tls_server);
    SSL_CTX *native = context->native_handle();
    SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    SSL_CTX_set_options(native, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_set_cipher_list(native, tls12Suites) != 1 || SSL_CTX_set1_groups_list(native, "X25519:P-256:P-384") != 1)
        return nullptr;
    beast::error_code error;
    context->use_certificate_chain_file(options.certFile, error);
    if (!error)
        context->use_private_key_file(options.keyFile, ssl::context::pem, error);
    if (error || SSL_CTX_check_private_key(native) != 1)
        return nullptr;
    return context;
}

// The TLS context that new connections take; replaced when the certificate is
// reloaded, while connections made before keep theirs.
class TlsContexts
{
public:
    std::shared_ptr<ssl::context> current()
    {
        std::lock_guard lock(m_mutex);
        return m_context;
    }
    void replace(std::shared_ptr<ssl::context> context)
    {
        std::lock_guard lock(m_mutex);
        m_context = std::move(context);
    }

private:
    std::mutex m_mutex;
    std::shared_ptr<ssl::context> m_context;
};

// What every connection needs from the front end.
struct Shared {
    const ServerOptions &options;
    Service &service;
    net::thread_pool &workers;
    std::shared_mutex &gate;  // held shared while the service works on a request
    TlsContexts &tlsContexts;
    bool tls;
    std::string spoolFolder;  // where upload bodies are written as they arrive

    size_t bodyLimit() const { return size_t(options.maxUploadBytes) + 1024 * 1024; }
    // Bodies and replies must keep up the minimum rate over every stretch as long
    // as the deadline for a request's headers.
    TransferRate transferRate() const
    {
        return TransferRate(std::chrono::milliseconds(options.headerTimeoutMs), uint64_t(options.minRateBytes));
    }
};

// A reply ready to be written: text in memory, or a file streamed from disk.
struct Outgoing {
    std::optional<http::response<http::string_body>> text;
    std::optional<http::response<StreamedFileBody>> file;
    uint64_t size = 0;
};

Reply busyReply()
{
    Reply reply = Reply::text(503, outOfResources);
    reply.retryAfterSeconds = 1;
    return reply;
}

// An upload's body, written as it arrives to a file with no name (gone with its
// descriptor, whatever happens to the process), which is made when the first body
// bytes come: a connection that announces a body and sends nothing holds no file.
struct SpoolBody {
    struct value_type {
        std::string folder;  // where the file is made
        int fd = -1;

        value_type() = default;
        value_type(value_type &&other) noexcept : folder(std::move(other.folder)), fd(std::exchange(other.fd, -1)) {}
        value_type &operator=(value_type &&other) noexcept
        {
            std::swap(folder, other.folder);
            std::swap(fd, other.fd);
            return *this;
        }
        ~value_type()
        {
            if (fd >= 0)
                ::close(fd);
        }
    };

    class reader
    {
    public:
        template <bool isRequest, class Fields>
        reader(http::header<isRequest, Fields> &, value_type &body) : m_body(body)
        {
        }
        void init(const boost::optional<uint64_t> &, beast::error_code &error) { error = {}; }
        template <class ConstBufferSequence>
        size_t put(const ConstBufferSequence &buffers, beast::error_code &error)
        {
            if (m_body.fd < 0 && (m_body.fd = create(m_body.folder)) < 0) {
                error.assign(errno, beast::system_category());
                return 0;
            }
            size_t written = 0;
            for (auto it = net::buffer_sequence_begin(buffers); it != net::buffer_sequence_end(buffers); ++it) {
                const net::const_buffer buffer = *it;
                for (size_t done = 0; done < buffer.size();) {
                    const ssize_t wrote = ::write(m_body.fd, static_cast<const char *>(buffer.data()) + done, buffer.size() - done);
                    if (wrote < 0 && errno == EINTR)
                        continue;
                    if (wrote <= 0) {
                        error.assign(wrote < 0 ? errno : EIO, beast::system_category());
                        return written;
                    }
                    done += size_t(wrote);
                    written += size_t(wrote);
                }
            }
            error = {};
            return written;
        }
        void finish(beast::error_code &error) { error = {}; }

    private:
        // A new empty file in `folder`; -1 and errno set when none can be made.
        static int create(const std::string &folder)
        {
            int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
                return fd;
            std::string path = folder + "/.upload-XXXXXX";
            fd = mkostemp(path.data(), O_CLOEXEC);
            if (fd >= 0)
                unlink(path.c_str());
            return fd;
        }

        value_type &m_body;
    };
};

// A received upload body, mapped into memory only while a worker checks and stores
// it: a connection receiving an upload holds its buffer and a descriptor, never
// the body.
class SpooledBody
{
public:
    explicit SpooledBody(SpoolBody::value_type &&file) : m_file(std::move(file)) {}
    ~SpooledBody()
    {
        if (m_mapped != MAP_FAILED)
            munmap(m_mapped, m_size);
    }
    SpooledBody(const SpooledBody &) = delete;
    SpooledBody &operator=(const SpooledBody &) = delete;

    // The bytes; nothing when they cannot be mapped.
    std::optional<std::string_view> bytes()
    {
        struct stat info {};
        if (m_file.fd < 0)
            return std::string_view();
        if (fstat(m_file.fd, &info) != 0)
            return std::nullopt;
        m_size = size_t(info.st_size);
        if (m_size == 0)
            return std::string_view();
        m_mapped = mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE, m_file.fd, 0);
        if (m_mapped == MAP_FAILED)
            return std::nullopt;
        return std::string_view(static_cast<const char *>(m_mapped), m_size);
    }

private:
    SpoolBody::value_type m_file;
    void *m_mapped = MAP_FAILED;
    size_t m_size = 0;
};

void addCommonHeaders(http::response_header<> &header, const Reply &reply, bool tls)
{
    // No reply is to be read as anything but its declared type, and none may load
    // or run anything: the pages are plain documents, the rest is data.
    header.set("X-Content-Type-Options", "nosniff");
    header.set("Content-Security-Policy", pagePolicy);
    header.set(http::field::cache_control, reply.cacheControl);
    if (!reply.etag.empty())
        header.set(http::field::etag, reply.etag);
    if (tls)
        header.set(http::field::strict_transport_security, "max-age=31536000");
    if (reply.retryAfterSeconds > 0)
        header.set(http::field::retry_after, std::to_string(reply.retryAfterSeconds));
}

std::shared_ptr<Outgoing> textReply(const Reply &reply, unsigned version, bool keepAlive, bool tls, bool headOnly)
{
    auto outgoing = std::make_shared<Outgoing>();
    auto &response = outgoing->text.emplace(http::status(reply.status), version);
    response.set(http::field::content_type, reply.contentType);
    addCommonHeaders(response.base(), reply, tls);
    response.keep_alive(keepAlive);
    outgoing->size = reply.body.size();
    if (headOnly) {
        response.content_length(reply.body.size());
    } else {
        response.body() = reply.body;
        response.prepare_payload();
    }
    return outgoing;
}

// The reply put together for the wire, with its line in the request log. A file
// reply uses `opened` when given, or opens its file (404 when it has gone).
std::shared_ptr<Outgoing> outgoingFor(Shared &shared, const http::request<http::string_body> &request, bool keepAlive,
                                      Reply reply, StreamedFileBody::value_type *opened = nullptr)
{
    const bool headOnly = request.method() == http::verb::head;
    const std::string_view target = request.target();
    std::fprintf(stderr, "%s %s %d\n", std::string(request.method_string()).c_str(),
                 firstPathWord(target.substr(0, target.find('?'))).c_str(), reply.status);
    if (!reply.etag.empty() && request[http::field::if_none_match] == reply.etag) {
        Reply unchanged = reply;
        unchanged.status = 304;
        unchanged.body.clear();
        auto outgoing = textReply(unchanged, request.version(), keepAlive, shared.tls, true);
        outgoing->text->content_length(boost::none);
        return outgoing;
    }
    if (reply.file.empty())
        return textReply(reply, request.version(), keepAlive, shared.tls, headOnly);

    StreamedFileBody::value_type file;
    if (opened) {
        file = std::move(*opened);
    } else {
        beast::error_code error;
        file.open(reply.file.c_str(), error);
        if (error == beast::errc::too_many_files_open || error == beast::errc::too_many_files_open_in_system)
            return textReply(busyReply(), request.version(), keepAlive, shared.tls, headOnly);
        if (error)
            return textReply(Reply::text(404, "no such image"), request.version(), keepAlive, shared.tls, headOnly);
    }
    if (headOnly) {
        reply.body.clear();
        auto outgoing = textReply(reply, request.version(), keepAlive, shared.tls, true);
        outgoing->text->content_length(file.size());
        return outgoing;
    }
    auto outgoing = std::make_shared<Outgoing>();
    outgoing->size = file.size();
    auto &response = outgoing->file.emplace(http::status(reply.status), request.version());
    response.set(http::field::content_type, reply.contentType);
    addCommonHeaders(response.base(), reply, shared.tls);
    response.keep_alive(keepAlive);
    response.body() = std::move(file);
    response.prepare_payload();
    return outgoing;
}

// The request as the routes take it; it views `request`, `address` and `body`
// (the request's own body when not given).
RouteRequest routeRequest(const http::request<http::string_body> &request, const std::string &address,
                          std::optional<std::string_view> body = std::nullopt)
{
    return RouteRequest{request.method_string(), request.target(), request[http::field::content_type],
                        body.value_or(std::string_view(request.body())), address};
}

// The network the client's requests count under for the per-address limits.
std::string addressOf(Shared &shared, const http::request<http::string_body> &request, const std::string &peer)
{
    const ServerOptions &options = shared.options;
    return networkOf(clientAddress(peer, request["X-Forwarded-For"], options.trustedProxies), options.ipv4PrefixBits,
                     options.ipv6PrefixBits);
}

// Runs on a worker: the routes and the service, then the reply put together. An
// upload's body is in `spooled`.
std::shared_ptr<Outgoing> answer(Shared &shared, const http::request<http::string_body> &request, bool keepAlive,
                                 const std::string &peer, SpooledBody *spooled)
{
    Reply reply;
    try {
        const std::shared_lock serving(shared.gate);
        const std::string address = addressOf(shared, request, peer);
        std::optional<std::string_view> body;
        if (spooled && !(body = spooled->bytes()))
            reply = busyReply();
        else
            reply = route(shared.service, routeRequest(request, address, body));
    } catch (const std::exception &) {
        reply = Reply::text(500, "internal error");
    }
    return outgoingFor(shared, request, keepAlive, std::move(reply));
}

// Runs on the connection's I/O thread: the answer when it needs neither the
// database nor a worker (an image read again), else nothing, and a worker answers.
// Reads of the same images are most of what a busy server does, and the trip
// through a worker costs them more than the reading.
std::shared_ptr<Outgoing> answerAtOnce(Shared &shared, const http::request<http::string_body> &request, bool keepAlive,
                                       const std::string &peer)
{
    const std::shared_lock serving(shared.gate, std::try_to_lock);
    if (!serving.owns_lock())
        return nullptr;  // draining: the request waits with the others
    std::optional<Reply> reply;
    try {
        const std::string address = addressOf(shared, request, peer);
        reply = routeFromMemory(shared.service, routeRequest(request, address));
    } catch (const std::exception &) {
        return nullptr;
    }
    if (!reply || reply->file.empty())
        return nullptr;
    // An image deleted by another instance sharing the storage: the service says so.
    StreamedFileBody::value_type file;
    beast::error_code error;
    file.open(reply->file.c_str(), error);
    if (error)
        return nullptr;
    return outgoingFor(shared, request, keepAlive, std::move(*reply), &file);
}

bool isProtocolError(const beast::error_code &error)
{
    return error.category() == http::make_error_code(http::error::bad_target).category();
}

// One connection: reads a request (headers within the header deadline, the body
// at the minimum rate), has a worker answer it, writes the answer, and goes on
// with the next request on the connection. Requests sent ahead (pipelined) wait in
// the buffer, so answers go out in order.
template <class Derived>
class Session
{
public:
    Session(Shared &shared, std::unique_ptr<ConnectionCounter::Ticket> ticket)
        : m_shared(shared), m_ticket(std::move(ticket))
    {
    }

    void readHeader()
    {
        m_header.emplace();
        m_header->header_limit(headerLimit);
        m_header->body_limit(m_shared.bodyLimit());
        lowest().expires_after(std::chrono::milliseconds(m_shared.options.headerTimeoutMs));
        http::async_read_header(self().stream(), m_buffer, *m_header,
                                [me = self().shared_from_this()](beast::error_code error, size_t) {
                                    me->onHeader(error);
                                });
    }

private:
    using HeaderParser = http::request_parser<http::empty_body>;

    Derived &self() { return static_cast<Derived &>(*this); }
    beast::tcp_stream &lowest() { return beast::get_lowest_layer(self().stream()); }

    void onHeader(const beast::error_code &error)
    {
        if (error == http::error::header_limit)
            return refuse(431, "request headers too large");
        if (error == http::error::body_limit)
            return refuse(413, "image too large");
        if (error)
            return isProtocolError(error) && error != http::error::end_of_stream ? refuse(400, "bad request")
                                                                                 : self().shutdown();
        const auto &request = m_header->get();
        if (std::distance(request.begin(), request.end()) > maxHeaderFields)
            return refuse(431, "too many request headers");
        if (headerLinesSize(request) > headerLimit)
            return refuse(431, "request headers too large");
        if (!framedSoundly(request))
            return refuse(400, "bad request");
        const auto encoding = request[http::field::content_encoding];
        if (!encoding.empty() && !beast::iequals(encoding, "identity"))
            return refuse(415, "compressed request bodies are not accepted");
        if (m_header->is_done())
            return dispatch(std::make_shared<http::request<http::string_body>>(
                                http::request_parser<http::string_body>(std::move(*m_header)).release()),
                            nullptr);
        // Nothing of a body is read before the headers show a request that may carry
        // it. (The headers move on to the parser that reads the body.)
        const bool expectsContinue = beast::iequals(request[http::field::expect], "100-continue");
        switch (requestKind(request.method_string(), request.target())) {
        case RequestKind::uploadWithBadToken: return refuse(403, "invalid or expired token");
        case RequestKind::upload: prepareSpool(); break;
        case RequestKind::other:
            // (A declared length is judged against the limit with the headers only.)
            if (m_header->content_length().value_or(0) > smallBodyLimit)
                return refuse(413, "request body too large");
            m_text.emplace(std::move(*m_header)).body_limit(smallBodyLimit);
            break;
        }
        if (expectsContinue)
            return sendContinue();
        readBody();
    }

    // The header lines as sent ("Name: value\r\n"), the blank line after them included.
    // The parser's own limit leaves some hundred bytes of slack past headerLimit (it
    // counts only what it has not yet parsed), so the limit is held exactly here.
    static size_t headerLinesSize(const http::request_header<> &request)
    {
        size_t size = 2;
        for (const auto &field : request)
            size += field.name_string().size() + field.value().size() + 4;
        return size;
    }

    // HTTP/1.1 names its host once; a body's length is told one way, which this
    // server can read: a Transfer-Encoding other than plain "chunked" (gzip, an
    // unknown coding, a list) would leave the body to be read as the next request.
    static bool framedSoundly(const http::request_header<> &request)
    {
        const auto hosts = request.count(http::field::host);
        if (hosts > 1 || (request.version() >= 11 && hosts == 0))
            return false;
        const auto codings = request.count(http::field::transfer_encoding);
        if (codings == 0)
            return true;
        return codings == 1 && request.version() >= 11
            && beast::iequals(trimmed(request[http::field::transfer_encoding]), "chunked");
    }

    static std::string_view trimmed(std::string_view text)
    {
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        return text;
    }

    // The upload's body goes to a temporary file as it arrives.
    void prepareSpool()
    {
        m_spool.emplace(std::move(*m_header));
        m_spool->body_limit(m_shared.bodyLimit());
        m_spool->get().body().folder = m_shared.spoolFolder;
    }

    void sendContinue()
    {
        auto proceed = std::make_shared<http::response<http::empty_body>>(http::status::continue_, 11);
        http::async_write(self().stream(), *proceed,
                          [me = self().shared_from_this(), proceed](beast::error_code error, size_t) {
                              if (error)
                                  return me->self().shutdown();
                              me->readBody();
                          });
    }

    void readBody()
    {
        m_rate.start(TransferRate::Clock::now());
        if (m_spool)
            return readMoreBody(*m_spool, "image too large");
        readMoreBody(*m_text, "request body too large");
    }

    // Reads the body a piece at a time, each piece moving the deadline that the
    // minimum rate sets, so a client that stops sending is cut off one window later.
    template <class Parser>
    void readMoreBody(Parser &parser, const char *tooLarge)
    {
        lowest().expires_at(m_rate.deadline());
        http::async_read_some(self().stream(), m_buffer, parser,
                              [me = self().shared_from_this(), &parser, tooLarge](beast::error_code error, size_t got) {
                                  if (error == http::error::body_limit)
                                      return me->refuse(413, tooLarge);
                                  if (error == beast::errc::no_space_on_device)
                                      return me->refuse(507, "the server's disk is full");
                                  if (error == beast::errc::too_many_files_open
                                      || error == beast::errc::too_many_files_open_in_system)
                                      return me->refuse(503, outOfResources);
                                  if (error)
                                      return isProtocolError(error) ? me->refuse(400, "bad request") : me->self().shutdown();
                                  if (parser.is_done())
                                      return me->onBody();
                                  me->m_rate.count(TransferRate::Clock::now(), got);
                                  me->readMoreBody(parser, tooLarge);
                              });
    }

    void onBody()
    {
        if (!m_spool)
            return dispatch(std::make_shared<http::request<http::string_body>>(m_text->release()), nullptr);
        auto spooled = m_spool->release();
        auto body = std::make_shared<SpooledBody>(std::move(spooled.body()));
        m_spool.reset();
        dispatch(std::make_shared<http::request<http::string_body>>(std::move(spooled.base())), std::move(body));
    }

    void dispatch(std::shared_ptr<http::request<http::string_body>> request, std::shared_ptr<SpooledBody> spooled)
    {
        m_text.reset();
        const bool keepAlive = request->keep_alive() && ++m_requests < maxRequestsPerConnection;
        if (!spooled) {
            if (auto outgoing = answerAtOnce(m_shared, *request, keepAlive, m_ticket->peer()))
                return write(outgoing);
        }
        // Nothing is read while a worker answers: the next request waits its turn.
        lowest().expires_never();
        net::post(m_shared.workers, [me = self().shared_from_this(), request, spooled, keepAlive] {
            auto outgoing = answer(me->m_shared, *request, keepAlive, me->m_ticket->peer(), spooled.get());
            net::post(me->self().stream().get_executor(), [me, outgoing] { me->write(outgoing); });
        });
    }

    // Answers a request that cannot be read on, and closes the connection.
    void refuse(int status, const char *text)
    {
        m_refused = true;
        m_spool.reset();
        m_text.reset();
        Reply reply = Reply::text(status, text);
        if (status == 503)
            reply.retryAfterSeconds = 1;
        write(textReply(reply, 11, false, m_shared.tls, false));
    }

protected:
    // Whether the connection ends on a refusal, with the rest of the request unread.
    bool refused() const { return m_refused; }
    // The connection stops counting; before its socket closes (see Ticket).
    void releaseTicket() { m_ticket.reset(); }

    // Closing with unread input would reset the connection, and the client could
    // lose the refusal: after the write side is shut, the rest of the request is
    // read and dropped (as it comes over the socket, TLS or not) for a short while
    // and up to a few megabytes.
    void drainAfterRefusal()
    {
        beast::error_code ignored;
        lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
        m_scratch = std::make_unique<char[]>(scratchSize);
        lowest().expires_after(2s);
        drain(0);
    }

private:
    static constexpr size_t scratchSize = 16 * 1024;

    void drain(size_t dropped)
    {
        if (dropped > 4 * 1024 * 1024)
            return;
        lowest().async_read_some(net::buffer(m_scratch.get(), scratchSize),
                                 [me = self().shared_from_this(), dropped](beast::error_code error, size_t got) {
                                     if (!error)
                                         me->drain(dropped + got);
                                 });
    }

    void write(const std::shared_ptr<Outgoing> &outgoing)
    {
        m_writing = outgoing;
        m_rate.start(TransferRate::Clock::now());
        if (outgoing->file)
            m_fileWriter.emplace(*outgoing->file);
        else
            m_textWriter.emplace(*outgoing->text);
        writeMore();
    }

    // Writes the reply a piece at a time, at the minimum rate as the body is read.
    void writeMore()
    {
        lowest().expires_at(m_rate.deadline());
        auto wrote = [me = self().shared_from_this()](beast::error_code error, size_t sent) {
            const bool done = me->m_fileWriter ? me->m_fileWriter->is_done() : me->m_textWriter->is_done();
            if (error || done)
                return me->onWritten(error);
            me->m_rate.count(TransferRate::Clock::now(), sent);
            me->writeMore();
        };
        if (m_fileWriter)
            http::async_write_some(self().stream(), *m_fileWriter, std::move(wrote));
        else
            http::async_write_some(self().stream(), *m_textWriter, std::move(wrote));
    }

    void onWritten(const beast::error_code &error)
    {
        const bool keepAlive = m_writing->file ? m_writing->file->keep_alive() : m_writing->text->keep_alive();
        m_fileWriter.reset();
        m_textWriter.reset();
        m_writing.reset();
        if (error || !keepAlive)
            return self().shutdown();
        readHeader();
    }

    Shared &m_shared;
    std::unique_ptr<ConnectionCounter::Ticket> m_ticket;
    beast::flat_buffer m_buffer{headerLimit + 64 * 1024};
    std::optional<HeaderParser> m_header;
    std::optional<http::request_parser<http::string_body>> m_text;  // a small body, in memory
    std::optional<http::request_parser<SpoolBody>> m_spool;         // an upload's body, to a file
    std::shared_ptr<Outgoing> m_writing;
    std::optional<http::response_serializer<StreamedFileBody>> m_fileWriter;
    std::optional<http::response_serializer<http::string_body>> m_textWriter;
    TransferRate m_rate = m_shared.transferRate();
    std::unique_ptr<char[]> m_scratch;  // what a refused request's rest is read into
    int m_requests = 0;
    bool m_refused = false;
};

class PlainSession : public Session<PlainSession>, public std::enable_shared_from_this<PlainSession>
{
public:
    PlainSession(tcp::socket &&socket, Shared &shared, std::unique_ptr<ConnectionCounter::Ticket> ticket)
        : Session(shared, std::move(ticket)), m_stream(std::move(socket))
    {
    }
    ~PlainSession() { releaseTicket(); }

    void run()
    {
        net::dispatch(m_stream.get_executor(), [me = shared_from_this()] { me->readHeader(); });
    }

    beast::tcp_stream &stream() { return m_stream; }

    void shutdown()
    {
        if (refused())
            return drainAfterRefusal();
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
    }

private:
    beast::tcp_stream m_stream;
};

class TlsSession : public Session<TlsSession>, public std::enable_shared_from_this<TlsSession>
{
public:
    TlsSession(beast::tcp_stream &&stream, std::shared_ptr<ssl::context> context, Shared &shared,
               std::unique_ptr<ConnectionCounter::Ticket> ticket)
        : Session(shared, std::move(ticket)), m_context(std::move(context)), m_stream(std::move(stream), *m_context)
    {
    }
    ~TlsSession() { releaseTicket(); }

    // Completes the handshake whose first record has been read already, within
    // the deadline the stream carries from its greeting.
    void run(std::string firstRecord)
    {
        m_firstRecord = std::move(firstRecord);
        // (Beast checks this overload's handler against the signature without the
        // byte count, so the count has a default.)
        m_stream.async_handshake(ssl::stream_base::server, net::buffer(m_firstRecord),
                                 [me = shared_from_this()](beast::error_code error, size_t = 0) {
                                     if (!error)
                                         me->readHeader();
                                 });
    }

    beast::ssl_stream<beast::tcp_stream> &stream() { return m_stream; }

    void shutdown()
    {
        // A refused request's rest is still coming in, and a TLS shutdown would
        // wait on it: the refusal is followed by the end of the stream, then the
        // rest is dropped unread.
        if (refused())
            return drainAfterRefusal();
        beast::get_lowest_layer(m_stream).expires_after(5s);
        m_stream.async_shutdown([me = shared_from_this()](beast::error_code) {});
    }

private:
    std::shared_ptr<ssl::context> m_context;  // before the stream, which uses it
    beast::ssl_stream<beast::tcp_stream> m_stream;
    std::string m_firstRecord;
};

// A TLS connection until the first record of its handshake (the client's hello,
// some hundreds of bytes) has arrived: a socket, a deadline and those bytes. The
// TLS state, some 100 KiB with its buffers, is made only then, so a crowd of
// connections that send little or nothing, or send their hello slowly, costs
// little memory, and a burst of them is accepted quickly.
class TlsGreeting : public std::enable_shared_from_this<TlsGreeting>
{
public:
    TlsGreeting(tcp::socket &&socket, Shared &shared, std::unique_ptr<ConnectionCounter::Ticket> ticket)
        : m_stream(std::move(socket)), m_shared(shared), m_ticket(std::move(ticket))
    {
    }

    // The handshake has the same deadline as a request's headers, from now on.
    void run()
    {
        m_stream.expires_after(std::chrono::milliseconds(m_shared.options.headerTimeoutMs));
        read();
    }

private:
    static constexpr size_t headerSize = 5;  // type, version, length of the record that follows
    static constexpr size_t largestRecord = 16 * 1024 + 2048;

    void read()
    {
        m_record.resize(wanted());
        m_stream.async_read_some(net::buffer(m_record.data() + m_got, m_record.size() - m_got),
                                 [me = shared_from_this()](beast::error_code error, size_t got) {
                                     // On an error (the deadline, or the client gone) the socket closes with `me`.
                                     if (error)
                                         return;
                                     me->m_got += got;
                                     if (me->m_got < me->wanted())
                                         return me->read();
                                     me->startTls();
                                 });
    }

    // The bytes to read before the TLS state is made: the record header, then the
    // record it announces. A length no hello has is left to the TLS library to refuse.
    size_t wanted() const
    {
        if (m_got < headerSize)
            return headerSize;
        const auto byte = [this](size_t at) { return size_t(static_cast<unsigned char>(m_record[at])); };
        const size_t length = byte(3) << 8 | byte(4);
        return length <= largestRecord ? headerSize + length : headerSize;
    }

    void startTls()
    {
        beast::error_code ignored;
        m_stream.socket().set_option(tcp::no_delay(true), ignored);
        auto context = m_shared.tlsContexts.current();
        std::make_shared<TlsSession>(std::move(m_stream), std::move(context), m_shared, std::move(m_ticket))
            ->run(std::move(m_record));
    }

    beast::tcp_stream m_stream;
    Shared &m_shared;
    std::unique_ptr<ConnectionCounter::Ticket> m_ticket;
    std::string m_record;
    size_t m_got = 0;
};

} // namespace

// Upload bodies go beside the images (or the data), on disk: a temporary folder
// may be memory.
static std::string spoolFolderFor(const ServerOptions &options)
{
    if (!options.imagesInDatabase())
        return options.imageFolder();
    if (!options.dataDir.empty())
        return options.dataDir;
    std::error_code error;
    const auto temporary = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : temporary.string();
}

class HttpFrontend::Impl
{
public:
    Impl(const ServerOptions &options, Service &service)
        : options(options),
          counter(options.maxConnections, options.maxConnectionsPerAddress),
          workers(size_t(options.threads)),
          shared{this->options, service, workers, gate, tlsContexts, !options.certFile.empty(), spoolFolderFor(options)}
    {
        if (shared.tls)
            tlsContexts.replace(makeTlsContext(options));
    }

    bool valid() { return !shared.tls || tlsContexts.current(); }

    bool reload()
    {
        auto fresh = makeTlsContext(options);
        if (!fresh)
            return false;
        tlsContexts.replace(std::move(fresh));
        return true;
    }

    bool bind()
    {
        beast::error_code error;
        tcp::resolver resolver(*loops.front());
        const auto found = resolver.resolve(options.listenHost, std::to_string(options.listenPort),
                                            tcp::resolver::passive | tcp::resolver::numeric_service, error);
        if (error || found.empty())
            return false;
        const tcp::endpoint endpoint = found.begin()->endpoint();
        // Only SO_REUSEADDR: SO_REUSEPORT would let a second server start on a
        // port already in use and take half its requests.
        acceptor.open(endpoint.protocol(), error);
        if (!error)
            acceptor.set_option(net::socket_base::reuse_address(true), error);
        if (!error)
            acceptor.bind(endpoint, error);
        if (!error)
            acceptor.listen(net::socket_base::max_listen_connections, error);
        // For taking the connections already waiting without blocking (acceptWaiting).
        if (!error)
            acceptor.non_blocking(true, error);
        return !error;
    }

    void accept()
    {
        acceptor.async_accept(nextLoop(), peerSeen, [this](beast::error_code error, tcp::socket socket) {
            if (error == net::error::operation_aborted || !acceptor.is_open())
                return;
            if (error) {
                // Out of file descriptors, most likely: try again shortly rather than spin.
                retry.expires_after(50ms);
                retry.async_wait([this](beast::error_code) { accept(); });
                return;
            }
            start(std::move(socket), peerSeen);
            acceptWaiting();
            accept();
        });
    }

    // Takes the connections that are already waiting in one go, rather than with a
    // trip through the event loop each, so that a normal client behind a burst of
    // connections is not held up by the work those connections queue meanwhile.
    void acceptWaiting()
    {
        for (int taken = 0; taken < 512; ++taken) {
            tcp::socket socket(nextLoop());
            tcp::endpoint peer;
            beast::error_code error;
            acceptor.accept(socket, peer, error);
            if (error)
                return;  // none waiting (or out of descriptors: accept() deals with that)
            start(std::move(socket), peer);
        }
    }

    // Kept cheap, as it runs for every connection accepted: the TLS state and the
    // request buffers are made once the client has sent something.
    void start(tcp::socket socket, const tcp::endpoint &peer)
    {
        const std::string address = peer.address().to_string();
        const auto &proxies = shared.options.trustedProxies;
        auto ticket = counter.admit(address, networkOf(address, options.ipv4PrefixBits, options.ipv6PrefixBits),
                                    socket.native_handle(),
                                    std::find(proxies.begin(), proxies.end(), address) == proxies.end());
        if (!ticket)
            return;  // the socket closes as it goes
        if (shared.tls) {
            std::make_shared<TlsGreeting>(std::move(socket), shared, std::move(ticket))->run();
            return;
        }
        beast::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        std::make_shared<PlainSession>(std::move(socket), shared, std::move(ticket))->run();
    }

    // The loop the next connection runs on, in turn.
    net::io_context::executor_type nextLoop()
    {
        return loops[nextLoopIndex++ % loops.size()]->get_executor();
    }

    void run()
    {
        accept();
        std::vector<std::thread> threads;
        for (size_t i = 1; i < loops.size(); ++i)
            threads.emplace_back([loop = loops[i].get()] { loop->run(); });
        loops.front()->run();
        for (std::thread &thread : threads)
            thread.join();
    }

    void stop()
    {
        closeAcceptor();
        for (auto &loop : loops)
            loop->stop();
    }

    void closeAcceptor()
    {
        net::post(acceptor.get_executor(), [this] {
            beast::error_code ignored;
            acceptor.close(ignored);
        });
    }

    ServerOptions options;
    ConnectionCounter counter;
    TlsContexts tlsContexts;
    std::shared_mutex gate;
    // One event loop for each I/O thread (up to four), and each connection on one
    // of them: its handlers never run on two threads at once, with no strand to
    // pass, and no thread wakes another for a connection's next step.
    std::vector<std::unique_ptr<net::io_context>> loops = [] {
        std::vector<std::unique_ptr<net::io_context>> made;
        for (unsigned i = 0; i < std::clamp(std::thread::hardware_concurrency(), 1u, 4u); ++i)
            made.push_back(std::make_unique<net::io_context>(1));
        return made;
    }();
    // Keeps every loop running while it has no connection.
    std::vector<net::executor_work_guard<net::io_context::executor_type>> keepRunning = [this] {
        std::vector<net::executor_work_guard<net::io_context::executor_type>> guards;
        for (auto &loop : loops)
            guards.push_back(net::make_work_guard(*loop));
        return guards;
    }();
    size_t nextLoopIndex = 0;  // only the accepting handler touches it
    tcp::acceptor acceptor{loops.front()->get_executor()};
    tcp::endpoint peerSeen;  // the address of the connection async_accept takes
    net::steady_timer retry{acceptor.get_executor()};
    // After the I/O context: destroyed first, with the sessions its tasks hold.
    net::thread_pool workers;
    Shared shared;
};

HttpFrontend::HttpFrontend(const ServerOptions &options, Service &service)
    : m_impl(std::make_unique<Impl>(options, service))
{
}

HttpFrontend::~HttpFrontend() = default;

bool HttpFrontend::valid() const
{
    return m_impl->valid();
}

bool HttpFrontend::listen()
{
    if (!m_impl->bind())
        return false;
    std::fprintf(stderr, "vornik-server: serving %s on %s:%d\n", m_impl->options.publicUrl.c_str(),
                 m_impl->options.listenHost.c_str(), m_impl->options.listenPort);
    m_impl->run();
    return true;
}

void HttpFrontend::stop()
{
    m_impl->stop();
}

void HttpFrontend::stopAndDrain()
{
    m_impl->closeAcceptor();
    m_impl->gate.lock();
}

bool HttpFrontend::reloadCertificate()
{
    return m_impl->reload();
}

} // namespace vornik::server
