#include "server/TokenStore.h"

#include "server/Random.h"
#include "service/Protocol.h"

namespace vornik::server {

TokenStore::TokenStore(std::chrono::milliseconds lifetime, Now now, size_t capacity)
    : m_lifetime(lifetime), m_now(std::move(now)), m_capacity(capacity)
{
}

std::string TokenStore::tokenForSalt(const std::string &salt)
{
    return md5Hex(salt + std::string(protocol::sharedKey));
}

std::string TokenStore::issueSalt()
{
    const std::string salt = randomHex(16);
    remember(salt);
    return salt;
}

void TokenStore::remember(const std::string &salt)
{
    const std::string token = tokenForSalt(salt);
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = m_now();
    dropStale(now);
    const Clock::time_point expiry = now + m_lifetime;
    m_expiry[token] = expiry;
    m_order.emplace_back(expiry, token);
}

bool TokenStore::consume(const std::string &token)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_expiry.find(token);
    if (found == m_expiry.end())
        return false;
    const bool fresh = m_now() < found->second;
    m_expiry.erase(found);
    return fresh;
}

size_t TokenStore::size() const
{
    std::lock_guard lock(m_mutex);
    return m_expiry.size();
}

// Forgets expired tokens, and the oldest ones when a flood of salt requests would
// otherwise grow the table without bound.
void TokenStore::dropStale(Clock::time_point now)
{
    while (!m_order.empty() && (m_order.front().first <= now || m_order.size() >= m_capacity)) {
        const auto found = m_expiry.find(m_order.front().second);
        if (found != m_expiry.end() && found->second == m_order.front().first)
            m_expiry.erase(found);
        m_order.pop_front();
    }
}

} // namespace vornik::server
