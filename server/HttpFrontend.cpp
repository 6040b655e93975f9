#include "server/HttpFrontend.h"

#include "server/HelpPages.h"
#include "server/Service.h"

#include <httplib.h>

#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>

namespace vornik::server {
namespace {

// The stock form reader of cpp-httplib rejects field names that hold line breaks,
// and our client's user-id field has one. Upload bodies are therefore relabelled
// before routing so that they arrive unparsed, and the service reads the form
// itself; the original content type travels in a header of our own.
const char *const originalTypeHeader = "X-Vornik-Form-Type";

// No reply is to be read as anything but its declared type, and none may load or
// run anything: the pages are plain documents, the rest is data.
void lockDown(httplib::Response &response)
{
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("Content-Security-Policy", pagePolicy);
}

void send(httplib::Response &response, const Reply &reply)
{
    response.status = reply.status;
    response.set_content(reply.body, reply.contentType.c_str());
    lockDown(response);
}

Reply pageReply(const std::string &path)
{
    if (auto html = helpPage(path))
        return Reply{200, std::move(*html), "text/html; charset=utf-8"};
    return Reply::text(404, "not found");
}

std::string firstPathWord(const std::string &path)
{
    const size_t end = path.find('/', 1);
    return path.substr(0, std::min(end, size_t(24)));
}

} // namespace

HttpFrontend::HttpFrontend(const ServerOptions &options, Service &service) : m_options(options), m_service(service)
{
    if (options.certFile.empty())
        m_server = std::make_unique<httplib::Server>();
    else
        m_server = std::make_unique<httplib::SSLServer>(options.certFile.c_str(), options.keyFile.c_str());
    const int threads = options.threads;
    m_server->new_task_queue = [threads] { return new httplib::ThreadPool(size_t(threads)); };
    // Room for the form around the largest accepted image; the image itself is
    // measured exactly once the form is read.
    m_server->set_payload_max_length(size_t(options.maxUploadBytes) + 1024 * 1024);
    // Only SO_REUSEADDR: the library's default adds SO_REUSEPORT, which would let a
    // second server start on a port already in use and take half its requests.
    // TCP_NODELAY is inherited by accepted connections: the library writes a reply's
    // headers and body separately, and with Nagle's rule the body would wait for the
    // client's delayed acknowledgement (about 40 ms) on every reused connection.
    m_server->set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    });
    m_server->set_read_timeout(30, 0);
    m_server->set_write_timeout(30, 0);
    installRoutes();
}

HttpFrontend::~HttpFrontend() = default;

bool HttpFrontend::valid() const
{
    return m_server->is_valid();
}

void HttpFrontend::installRoutes()
{
    httplib::Server &server = *m_server;
    Service &service = m_service;
    std::shared_mutex &gate = m_requestGate;

    server.set_pre_routing_handler([](const httplib::Request &request, httplib::Response &) {
        if (request.method == "POST" && request.is_multipart_form_data()) {
            // The request object is the server's own, writable one; only the handler
            // signature is const.
            auto &headers = const_cast<httplib::Request &>(request).headers;
            const std::string type = request.get_header_value("Content-Type");
            headers.erase(originalTypeHeader);
            headers.erase("Content-Type");
            headers.emplace(originalTypeHeader, type);
            headers.emplace("Content-Type", "application/octet-stream");
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    // Every route does its work under the request gate, so that a stop can wait for
    // the requests being handled.
    const auto route = [&gate](auto work) {
        return [&gate, work](const httplib::Request &request, httplib::Response &response) {
            const std::shared_lock serving(gate);
            send(response, work(request));
        };
    };
    using Request = const httplib::Request &;

    server.Get("/", route([](Request request) { return pageReply(request.path); }));
    server.Get("/help/[a-z-]+", route([](Request request) { return pageReply(request.path); }));
    server.Get("/salt/", route([&service](Request) { return service.salt(); }));
    server.Post("/upload/([^/]*)", route([&service](Request request) {
        return service.upload(request.matches[1], request.get_header_value(originalTypeHeader), request.body);
    }));
    server.Get("/history/([^/]*)/([^/]*)", route([&service](Request request) {
        return service.history(request.matches[1], request.matches[2], false);
    }));
    server.Get("/history/([^/]*)/([^/]*)/10", route([&service](Request request) {
        return service.history(request.matches[1], request.matches[2], true);
    }));
    server.Get("/delete/([^/]*)/([A-Za-z0-9]+)/([^/]*)", route([&service](Request request) {
        return service.remove(request.matches[1], request.matches[2], request.matches[3]);
    }));
    server.Get("/setuser/([^/]*)", route([&service](Request request) {
        return service.setUser(request.matches[1], request.get_param_value("id"),
                               request.get_param_value("headerImage"), request.get_param_value("headerColor"));
    }));
    server.Get("/raw/([A-Za-z0-9]+)\\.png", route([&service](Request request) {
        return service.raw(request.matches[1]);
    }));
    server.Get("/([A-Za-z0-9]+)\\.png", route([&service](Request request) {
        return service.decorated(request.matches[1]);
    }));

    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (!response.body.empty())
            return;
        lockDown(response);
        switch (response.status) {
        case 404: response.set_content("not found", "text/plain; charset=utf-8"); break;
        case 413: response.set_content("image too large", "text/plain; charset=utf-8"); break;
        default: response.set_content("request failed", "text/plain; charset=utf-8");
        }
    });
    server.set_exception_handler([](const httplib::Request &, httplib::Response &response, std::exception_ptr) {
        response.status = 500;
        response.set_content("internal error", "text/plain; charset=utf-8");
        lockDown(response);
    });
    // Tokens and user ids stay out of the log: only the first path word is written.
    server.set_logger([](const httplib::Request &request, const httplib::Response &response) {
        std::fprintf(stderr, "%s %s %d\n", request.method.c_str(), firstPathWord(request.path).c_str(),
                     response.status);
    });
}

bool HttpFrontend::listen()
{
    if (!m_server->bind_to_port(m_options.listenHost, m_options.listenPort))
        return false;
    std::fprintf(stderr, "vornik-server: serving %s on %s:%d\n", m_options.publicUrl.c_str(),
                 m_options.listenHost.c_str(), m_options.listenPort);
    return m_server->listen_after_bind();
}

void HttpFrontend::stop()
{
    m_server->stop();
}

void HttpFrontend::stopAndDrain()
{
    m_server->stop();
    m_requestGate.lock();
}

} // namespace vornik::server
