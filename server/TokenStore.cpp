#include "server/TokenStore.h"

#include "server/Random.h"
#include "service/Protocol.h"

#include <algorithm>

namespace vornik::server {

TokenStore::TokenStore(std::chrono::milliseconds lifetime, Now now, size_t capacity, size_t perAddress)
    : m_lifetime(lifetime), m_now(std::move(now)), m_capacity(std::max<size_t>(capacity, 1)),
      m_perAddress(std::clamp<size_t>(perAddress, 1, m_capacity))
{
}

std::string TokenStore::tokenForSalt(const std::string &salt)
{
    return md5Hex(salt + std::string(protocol::sharedKey));
}

std::string TokenStore::issueSalt(const std::string &address)
{
    const std::string salt = randomHex(16);
    return remember(salt, address) ? salt : std::string();
}

bool TokenStore::remember(const std::string &salt, const std::string &address)
{
    return rememberToken(tokenForSalt(salt), address);
}

bool TokenStore::rememberToken(const std::string &token, const std::string &address)
{
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = m_now();
    dropStale(now);
    if (const auto own = m_byAddress.find(address); own != m_byAddress.end() && own->second.live >= m_perAddress)
        dropOldestOf(address);
    if (m_pending.size() >= m_capacity && !m_pending.contains(token) && !dropNewestOfHeaviest(address))
        return false;
    const Clock::time_point expiry = now + m_lifetime;
    if (const auto earlier = m_pending.find(token); earlier != m_pending.end())
        forget(earlier);
    m_pending[token] = Pending{expiry, address};
    AddressTokens &counted = m_byAddress[address];
    recount(address, counted.live, counted.live + 1);
    ++counted.live;
    counted.tokens.push_back(token);
    m_order.emplace_back(expiry, token);
    return true;
}

bool TokenStore::consume(const std::string &token)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_pending.find(token);
    if (found == m_pending.end())
        return false;
    const bool fresh = m_now() < found->second.expiry;
    forget(found);
    return fresh;
}

size_t TokenStore::size() const
{
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

size_t TokenStore::pendingFor(const std::string &address) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_byAddress.find(address);
    return found == m_byAddress.end() ? 0 : found->second.live;
}

// Removes one pending token and its count; an address with nothing pending is
// forgotten, so that the table of addresses shrinks with the tokens.
void TokenStore::forget(std::unordered_map<std::string, Pending>::iterator pending)
{
    const auto address = m_byAddress.find(pending->second.address);
    m_pending.erase(pending);
    if (address == m_byAddress.end())
        return;
    recount(address->first, address->second.live, address->second.live - 1);
    if (--address->second.live == 0) {
        m_byAddress.erase(address);
        return;
    }
    // Used tokens stay in the address's list until they reach its front; rebuild it
    // when they outnumber the live ones, so the list stays proportional to them.
    std::deque<std::string> &tokens = address->second.tokens;
    if (tokens.size() > 2 * address->second.live + 16) {
        std::erase_if(tokens, [&](const std::string &token) {
            const auto found = m_pending.find(token);
            return found == m_pending.end() || found->second.address != address->first;
        });
    }
}

// The address is at its share: its own oldest pending token makes room.
void TokenStore::dropOldestOf(const std::string &address)
{
    std::deque<std::string> &tokens = m_byAddress.at(address).tokens;
    while (!tokens.empty()) {
        const std::string token = std::move(tokens.front());
        tokens.pop_front();
        const auto found = m_pending.find(token);
        if (found != m_pending.end() && found->second.address == address) {
            forget(found);
            return;
        }
    }
}

// The table is full: the address holding the most pending tokens loses its newest,
// if it holds more than `address` does (which would then hold no more than it).
bool TokenStore::dropNewestOfHeaviest(const std::string &address)
{
    if (m_bySize.empty())
        return false;
    const auto [heaviest, heaviestAddress] = *m_bySize.rbegin();
    const auto own = m_byAddress.find(address);
    const size_t held = own == m_byAddress.end() ? 0 : own->second.live;
    if (heaviestAddress == address || held + 1 >= heaviest)
        return false;
    std::deque<std::string> &tokens = m_byAddress.at(heaviestAddress).tokens;
    while (!tokens.empty()) {
        const std::string token = std::move(tokens.back());
        tokens.pop_back();
        const auto found = m_pending.find(token);
        if (found != m_pending.end() && found->second.address == heaviestAddress) {
            forget(found);
            return true;
        }
    }
    return false;
}

// Keeps the addresses ordered by how many tokens they hold.
void TokenStore::recount(const std::string &address, size_t before, size_t after)
{
    if (before > 0)
        m_bySize.erase({before, address});
    if (after > 0)
        m_bySize.emplace(after, address);
}

// Forgets expired tokens.
void TokenStore::dropStale(Clock::time_point now)
{
    while (!m_order.empty() && m_order.front().first <= now) {
        const auto found = m_pending.find(m_order.front().second);
        if (found != m_pending.end() && found->second.expiry == m_order.front().first)
            forget(found);
        m_order.pop_front();
    }
    // Entries of tokens used long before they expire are dropped with the same sweep;
    // keep the order list from outgrowing the table when tokens are used quickly.
    if (m_order.size() > 2 * m_pending.size() + 1024) {
        std::erase_if(m_order, [&](const auto &entry) {
            const auto found = m_pending.find(entry.second);
            return found == m_pending.end() || found->second.expiry != entry.first;
        });
    }
}

} // namespace vornik::server
