#pragma once

#include "server/Service.h"

#include <optional>
#include <string>
#include <string_view>

namespace vornik::server {

// One request as the front end hands it over: the method, the target as sent
// ("/setuser/TOKEN?id=..."), the Content-Type header and the whole body.
struct RouteRequest {
    std::string_view method;
    std::string_view target;
    std::string_view contentType;
    std::string_view body;
};

// Which service call a request is, with its path pieces decoded; a reply of its
// own for requests that are none (404).
Reply route(Service &service, const RouteRequest &request);

// %XX sequences decoded; with `plusIsSpace` (query values) "+" is a space. A "%"
// not followed by two hex digits is kept as it is.
std::string percentDecoded(std::string_view text, bool plusIsSpace);

// The decoded value of `key` in a query string ("a=1&b=2"), or "" when absent.
std::string queryValue(std::string_view query, std::string_view key);

// The first word of a path, at most 24 characters ("/upload"): what the request log
// shows, so that tokens and user ids stay out of it.
std::string firstPathWord(std::string_view path);

} // namespace vornik::server
