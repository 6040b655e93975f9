#include "server/Multipart.h"

#include <algorithm>
#include <cctype>

namespace vornik::server {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The end of a part's header block: the first empty line that is not inside a
// quoted string. Returns the offset just past it, or npos.
size_t headerBlockEnd(std::string_view block)
{
    bool quoted = false;
    size_t lineStart = 0;
    for (size_t i = 0; i + 1 < block.size(); ++i) {
        if (block[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && block[i] == '\r' && block[i + 1] == '\n') {
            if (i == lineStart)
                return i + 2;
            lineStart = i + 2;
            ++i;
        }
    }
    return std::string_view::npos;
}

// Splits a header block into lines at line ends outside quoted strings.
std::vector<std::string_view> headerLines(std::string_view block)
{
    std::vector<std::string_view> lines;
    bool quoted = false;
    size_t lineStart = 0;
    for (size_t i = 0; i + 1 < block.size(); ++i) {
        if (block[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && block[i] == '\r' && block[i + 1] == '\n') {
            if (i > lineStart)
                lines.push_back(block.substr(lineStart, i - lineStart));
            lineStart = i + 2;
            ++i;
        }
    }
    return lines;
}

// Reads `key=value` parameters after the disposition type; values may be quoted,
// and a quoted value runs to the next quote whatever lies between.
bool readDisposition(std::string_view value, FormPart *part)
{
    const size_t firstSemicolon = value.find(';');
    if (!equalsIgnoringCase(trimmed(value.substr(0, firstSemicolon)), "form-data"))
        return false;
    size_t at = firstSemicolon == std::string_view::npos ? value.size() : firstSemicolon + 1;
    bool haveName = false;
    while (at < value.size()) {
        while (at < value.size() && (value[at] == ' ' || value[at] == '\t' || value[at] == ';'))
            ++at;
        const size_t equals = value.find('=', at);
        if (equals == std::string_view::npos)
            break;
        const std::string_view key = trimmed(value.substr(at, equals - at));
        std::string_view text;
        at = equals + 1;
        if (at < value.size() && value[at] == '"') {
            const size_t close = value.find('"', at + 1);
            if (close == std::string_view::npos)
                return false;
            text = value.substr(at + 1, close - at - 1);
            at = close + 1;
        } else {
            const size_t end = std::min(value.find(';', at), value.size());
            text = trimmed(value.substr(at, end - at));
            at = end;
        }
        if (equalsIgnoringCase(key, "name")) {
            part->name = std::string(text);
            haveName = true;
        } else if (equalsIgnoringCase(key, "filename")) {
            part->filename = std::string(text);
            part->hasFilename = true;
        }
    }
    return haveName;
}

bool readHeaders(std::string_view block, FormPart *part)
{
    bool haveDisposition = false;
    for (std::string_view line : headerLines(block)) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return false;
        const std::string_view name = trimmed(line.substr(0, colon));
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (equalsIgnoringCase(name, "Content-Disposition")) {
            if (!readDisposition(value, part))
                return false;
            haveDisposition = true;
        } else if (equalsIgnoringCase(name, "Content-Type")) {
            part->contentType = std::string(value);
        }
    }
    return haveDisposition;
}

} // namespace

std::optional<std::string> multipartBoundary(std::string_view contentType)
{
    const size_t semicolon = contentType.find(';');
    if (!equalsIgnoringCase(trimmed(contentType.substr(0, semicolon)), "multipart/form-data")
        || semicolon == std::string_view::npos)
        return std::nullopt;
    std::string lowered(contentType);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const size_t key = lowered.find("boundary=", semicolon);
    if (key == std::string::npos)
        return std::nullopt;
    std::string_view boundary = contentType.substr(key + 9);
    if (!boundary.empty() && boundary.front() == '"') {
        const size_t close = boundary.find('"', 1);
        if (close == std::string_view::npos)
            return std::nullopt;
        boundary = boundary.substr(1, close - 1);
    } else {
        boundary = trimmed(boundary.substr(0, boundary.find(';')));
    }
    if (boundary.empty() || boundary.size() > 200)
        return std::nullopt;
    return std::string(boundary);
}

std::optional<std::vector<FormPart>> parseMultipart(std::string_view body, std::string_view boundary)
{
    const std::string opening = "--" + std::string(boundary);
    const std::string delimiter = "\r\n" + opening;
    size_t at;
    if (body.substr(0, opening.size()) == opening) {
        at = opening.size();
    } else {
        const size_t first = body.find(delimiter);  // after a preamble
        if (first == std::string_view::npos)
            return std::nullopt;
        at = first + delimiter.size();
    }

    std::vector<FormPart> parts;
    while (true) {
        if (body.substr(at, 2) == "--")
            return parts;  // the closing delimiter
        while (at < body.size() && (body[at] == ' ' || body[at] == '\t'))
            ++at;
        if (body.substr(at, 2) != "\r\n")
            return std::nullopt;
        at += 2;
        const std::string_view rest = body.substr(at);
        const size_t headersEnd = headerBlockEnd(rest);
        if (headersEnd == std::string_view::npos)
            return std::nullopt;
        FormPart part;
        if (!readHeaders(rest.substr(0, headersEnd), &part))
            return std::nullopt;
        const size_t contentStart = at + headersEnd;
        const size_t contentEnd = body.find(delimiter, contentStart);
        if (contentEnd == std::string_view::npos)
            return std::nullopt;
        part.data = body.substr(contentStart, contentEnd - contentStart);
        parts.push_back(std::move(part));
        at = contentEnd + delimiter.size();
    }
}

const FormPart *findPart(const std::vector<FormPart> &parts, std::string_view name)
{
    for (const FormPart &part : parts) {
        if (part.name == name)
            return &part;
    }
    return nullptr;
}

} // namespace vornik::server
