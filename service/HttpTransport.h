#pragma once

#include "service/HttpRequest.h"
#include "service/HttpResponse.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtPlugin>
#include <functional>

// Sends requests on the main thread. The implementation lives in a module of its own,
// loaded on the first request, so the network stack (and what it pulls in: Kerberos,
// proxy lookup, TLS) is not mapped while Vornik only sits in the tray.
class HttpTransport
{
public:
    using Handler = std::function<void(const HttpResponse &response)>;

    virtual ~HttpTransport() = default;

    // Starts `request`. `done` runs once on the main thread, after start() has
    // returned, unless the request is aborted first. Returns the id abort() takes.
    virtual quint64 start(const HttpRequest &request, Handler done) = 0;
    // Stops a request; its handler never runs. Unknown or finished ids are ignored.
    virtual void abort(quint64 id) = 0;
    // Drops every request and closes connections: open TLS connections have to be
    // closed while the application object still exists.
    virtual void shutDown() = 0;

    // The process-wide transport, loading the module on first use. When the module
    // cannot be loaded, every request fails with a text that says so.
    static HttpTransport &shared();
    // Whether the module has been loaded (or tried) in this process.
    static bool isLoaded();
};

// The number follows the layout of HttpRequest and HttpResponse, which cross the
// module's edge: a module built for another layout is refused at loading.
#define VornikHttpTransport_iid "org.vornik.HttpTransport/2"
Q_DECLARE_INTERFACE(HttpTransport, VornikHttpTransport_iid)
