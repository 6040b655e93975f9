#include "server/Routes.h"

#include "server/HelpPages.h"

#include <algorithm>
#include <vector>

namespace vornik::server {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isAlnum(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// "/a/b/" -> {"a", "b", ""}
std::vector<std::string> segments(const std::string &path)
{
    std::vector<std::string> pieces;
    size_t start = 1;
    while (true) {
        const size_t slash = path.find('/', start);
        pieces.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            return pieces;
        start = slash + 1;
    }
}

// "NAME.png" -> "NAME" when NAME is letters and digits.
std::optional<std::string> pngName(const std::string &segment)
{
    if (segment.size() < 5 || segment.compare(segment.size() - 4, 4, ".png") != 0)
        return std::nullopt;
    std::string name = segment.substr(0, segment.size() - 4);
    return isAlnum(name) ? std::optional(name) : std::nullopt;
}

Reply notFound()
{
    return Reply::text(404, "not found");
}

Reply page(const std::string &path)
{
    if (auto html = helpPage(path)) {
        Reply reply{200, std::move(*html), "text/html; charset=utf-8"};
        reply.cacheControl = "no-cache";
        return reply;
    }
    return notFound();
}

Reply routeGet(Service &service, const std::string &path, std::string_view query, std::string_view address)
{
    const std::vector<std::string> parts = segments(path);
    const std::string &word = parts[0];
    if (path == "/" || (word == "help" && parts.size() == 2))
        return page(path);
    if (word == "salt" && parts.size() == 2 && parts[1].empty())
        return service.salt(std::string(address));
    if (path == "/healthz")
        return service.health();
    if (word == "history" && (parts.size() == 3 || (parts.size() == 4 && parts[3] == "10")))
        return service.history(parts[1], parts[2], parts.size() == 4);
    if (word == "delete" && parts.size() == 4 && isAlnum(parts[2]))
        return service.remove(parts[1], parts[2], parts[3]);
    if (word == "setuser" && parts.size() == 2)
        return service.setUser(parts[1], queryValue(query, "id"), queryValue(query, "headerImage"),
                               queryValue(query, "headerColor"));
    if (word == "raw" && parts.size() == 2) {
        if (const auto name = pngName(parts[1]))
            return service.raw(*name);
    }
    if (parts.size() == 1) {
        if (const auto name = pngName(parts[0]))
            return service.decorated(*name);
    }
    return notFound();
}

} // namespace

std::string percentDecoded(std::string_view text, bool plusIsSpace)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            decoded += char(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            decoded += (plusIsSpace && c == '+') ? ' ' : c;
        }
    }
    return decoded;
}

std::string queryValue(std::string_view query, std::string_view key)
{
    while (!query.empty()) {
        const size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        const size_t equals = pair.find('=');
        if (percentDecoded(pair.substr(0, equals), true) == key)
            return equals == std::string_view::npos ? std::string() : percentDecoded(pair.substr(equals + 1), true);
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return {};
}

std::string clientAddress(std::string_view peer, std::string_view forwardedFor,
                          const std::vector<std::string> &trustedProxies)
{
    if (std::find(trustedProxies.begin(), trustedProxies.end(), peer) == trustedProxies.end())
        return std::string(peer);
    std::string_view last = forwardedFor.substr(std::min(forwardedFor.rfind(',') + 1, forwardedFor.size()));
    while (!last.empty() && (last.front() == ' ' || last.front() == '\t'))
        last.remove_prefix(1);
    while (!last.empty() && (last.back() == ' ' || last.back() == '\t'))
        last.remove_suffix(1);
    const bool plausible = !last.empty() && last.size() <= 45 && std::all_of(last.begin(), last.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' || c == ':';
    });
    return plausible ? std::string(last) : std::string(peer);
}

std::string firstPathWord(std::string_view path)
{
    const size_t end = path.find('/', 1);
    return std::string(path.substr(0, std::min(end, size_t(24))));
}

Reply route(Service &service, const RouteRequest &request)
{
    const size_t question = request.target.find('?');
    const std::string_view rawPath = request.target.substr(0, question);
    const std::string_view query = question == std::string_view::npos ? std::string_view() : request.target.substr(question + 1);
    if (rawPath.empty() || rawPath[0] != '/')
        return Reply::text(400, "bad request");
    const std::string path = percentDecoded(rawPath, false);
    if (request.method == "GET" || request.method == "HEAD")
        return routeGet(service, path, query, request.clientAddress);
    if (request.method == "POST") {
        const std::vector<std::string> parts = segments(path);
        if (parts.size() == 2 && parts[0] == "upload")
            return service.upload(parts[1], request.contentType, request.body, std::string(request.clientAddress));
    }
    return notFound();
}

RequestKind requestKind(std::string_view method, std::string_view target)
{
    const std::string_view rawPath = target.substr(0, target.find('?'));
    if (method != "POST" || rawPath.empty() || rawPath[0] != '/')
        return RequestKind::other;
    const std::vector<std::string> parts = segments(percentDecoded(rawPath, false));
    if (parts.size() != 2 || parts[0] != "upload")
        return RequestKind::other;
    // A token is the MD5 of a salt and the shared key, in hex.
    const std::string &token = parts[1];
    const bool tokenShaped = token.size() == 32 && std::all_of(token.begin(), token.end(), [](char c) { return hexDigit(c) >= 0; });
    return tokenShaped ? RequestKind::upload : RequestKind::uploadWithBadToken;
}

std::optional<Reply> routeFromMemory(const Service &service, const RouteRequest &request)
{
    if (request.method != "GET" && request.method != "HEAD")
        return std::nullopt;
    const std::string_view rawPath = request.target.substr(0, request.target.find('?'));
    if (rawPath.empty() || rawPath[0] != '/')
        return std::nullopt;
    const std::vector<std::string> parts = segments(percentDecoded(rawPath, false));
    if (parts.size() != 2 || parts[0] != "raw")
        return std::nullopt;
    const auto name = pngName(parts[1]);
    return name ? service.rawFromMemory(*name) : std::nullopt;
}

} // namespace vornik::server
