#pragma once

#include "server/ServerOptions.h"

#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace vornik::server {

class Service;

// Binds the service's requests to HTTP(S) routes with cpp-httplib.
class HttpFrontend
{
public:
    HttpFrontend(const ServerOptions &options, Service &service);
    ~HttpFrontend();

    bool valid() const;  // false when the certificate or key could not be loaded
    // Blocks serving until stop() is called; false when the address cannot be bound.
    bool listen();
    void stop();

private:
    void installRoutes();

    ServerOptions m_options;
    Service &m_service;
    std::unique_ptr<httplib::Server> m_server;
};

} // namespace vornik::server
