#pragma once

#include "server/ServerOptions.h"

#include <memory>

namespace vornik::server {

class Service;

// The HTTP(S) side of the server: an event-driven front end (Boost.Beast over
// Asio) that reads every request within a deadline and hands complete requests to
// a pool of workers, which run the routes into the service. Connections that send
// slowly or not at all cost a socket and a small buffer each, never a thread.
class HttpFrontend
{
public:
    HttpFrontend(const ServerOptions &options, Service &service);
    ~HttpFrontend();

    bool valid() const;  // false when the certificate or key could not be loaded
    // Blocks serving until stop() is called; false when the address cannot be bound.
    bool listen();
    void stop();
    // Stops accepting connections and waits for the requests being worked on to
    // finish; requests that arrive later wait for good. The process is meant to
    // exit next.
    void stopAndDrain();
    // Loads the certificate and key again for the connections made from now on;
    // false (and the old ones kept) when they cannot be loaded.
    bool reloadCertificate();

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace vornik::server
