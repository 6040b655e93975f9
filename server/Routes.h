#pragma once

#include "server/Service.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::server {

// One request as the front end hands it over: the method, the target as sent
// ("/setuser/TOKEN?id=..."), the Content-Type header and the whole body.
struct RouteRequest {
    std::string_view method;
    std::string_view target;
    std::string_view contentType;
    std::string_view body;
    std::string_view clientAddress{};  // for the per-address limits
};

// Which service call a request is, with its path pieces decoded; a reply of its
// own for requests that are none (404).
Reply route(Service &service, const RouteRequest &request);

// The reply to a request that can be answered without waiting on the database (a
// raw image served before), as route() would give it; nothing for every other.
std::optional<Reply> routeFromMemory(const Service &service, const RouteRequest &request);

// What a request is, as far as its method and target tell before its body is read:
// an upload whose token has a token's form, one whose token cannot be any, or
// something else (which takes no body worth keeping).
enum class RequestKind { upload, uploadWithBadToken, other };
RequestKind requestKind(std::string_view method, std::string_view target);

// %XX sequences decoded; with `plusIsSpace` (query values) "+" is a space. A "%"
// not followed by two hex digits is kept as it is.
std::string percentDecoded(std::string_view text, bool plusIsSpace);

// The decoded value of `key` in a query string ("a=1&b=2"), or "" when absent.
std::string queryValue(std::string_view query, std::string_view key);

// The address the per-address limits count a request under: the connection's peer,
// or, when the peer is one of `trustedProxies`, the address that proxy appended last
// to X-Forwarded-For (the ones before it are the client's own claims).
std::string clientAddress(std::string_view peer, std::string_view forwardedFor,
                          const std::vector<std::string> &trustedProxies);

// The first word of a path, at most 24 characters ("/upload"): what the request log
// shows, so that tokens and user ids stay out of it.
std::string firstPathWord(std::string_view path);

} // namespace vornik::server
