#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornik::server {

// The pages the server shows to people: its home page at "/" and the help pages
// Vornik opens (help/screen-recording, help/editor). Plain HTML built into the
// server: no scripts, no styles, nothing loaded from elsewhere.

// The page for a request path ("/", "/help/editor"...), or nothing when there is none.
std::optional<std::string> helpPage(std::string_view path);

// The policy sent with the pages: nothing but the document itself may load.
inline constexpr const char *pagePolicy = "default-src 'none'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

} // namespace vornik::server
