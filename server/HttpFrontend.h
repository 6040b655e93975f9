#pragma once

#include "server/ServerOptions.h"

#include <memory>
#include <shared_mutex>
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
    // Stops accepting connections and waits for the requests being handled to finish;
    // requests that arrive later wait for good. The process is meant to exit next:
    // idle keep-alive connections would otherwise hold the listener for seconds.
    void stopAndDrain();

private:
    void installRoutes();

    // Held shared by every request while the service works on it, and for good by
    // stopAndDrain().
    std::shared_mutex m_requestGate;

    ServerOptions m_options;
    Service &m_service;
    std::unique_ptr<httplib::Server> m_server;
};

} // namespace vornik::server
