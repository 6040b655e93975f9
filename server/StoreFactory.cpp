#include "server/StoreFactory.h"

#include "server/PostgresStore.h"
#include "server/SqliteStore.h"

namespace vornik::server {

std::unique_ptr<Store> makeStore(const std::string &url, int connections, const TokenRules &tokens, std::string *error)
{
    if (url.rfind("sqlite:", 0) == 0 && url.size() > 7)
        return std::make_unique<SqliteStore>(url.substr(7), tokens);
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0)
        return std::make_unique<PostgresStore>(url, connections, tokens);
    *error = "--database takes sqlite:PATH or postgresql://...";
    return nullptr;
}

} // namespace vornik::server
