#pragma once

#include "server/Store.h"

#include <memory>
#include <string>

namespace vornik::server {

// The store a --database value names: "sqlite:PATH" or "postgresql://..." (also
// "postgres://..."), with up to `connections` connections at once; nullptr with
// `error` set when the value is neither.
std::unique_ptr<Store> makeStore(const std::string &url, int connections, const TokenRules &tokens, std::string *error);

} // namespace vornik::server
