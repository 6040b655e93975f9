#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

namespace vornik::server {

// The one-time tokens behind the salts that the server hands out. A token is
// md5(salt + shared key); it authorises exactly one request, and only until it
// expires. Safe to use from every worker thread.
//
// Pending tokens are counted per client address (a network, see networkOf): an
// address that asks for more than its share loses its own oldest pending tokens.
// When the whole table is full, the address holding the most pending tokens loses
// its newest to make room for one that holds at least two fewer; only an address
// holding about as many as the most is refused. So a flood from many addresses takes the table from
// the flooders, never from a client that asks for a salt now and then.
class TokenStore
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    explicit TokenStore(std::chrono::milliseconds lifetime, Now now = Clock::now, size_t capacity = 200000,
                        size_t perAddress = 1000);

    // Makes a fresh salt (128 random bits as 32 hex digits) for a client at `address`
    // and remembers its token; "" when the table is full.
    std::string issueSalt(const std::string &address = {});
    // Remembers the token of a given salt; for salts made elsewhere. False when the
    // table is full and `address` holds as many as any other.
    bool remember(const std::string &salt, const std::string &address = {});
    bool rememberToken(const std::string &token, const std::string &address = {});
    // True when the token was issued, not used before and not expired. Either way
    // the token is gone afterwards.
    bool consume(const std::string &token);

    size_t size() const;
    // Pending tokens issued to `address`.
    size_t pendingFor(const std::string &address) const;

    static std::string tokenForSalt(const std::string &salt);

private:
    struct Pending {
        Clock::time_point expiry;
        std::string address;
    };
    struct AddressTokens {
        size_t live = 0;
        // In the order issued; may still name tokens already used or dropped.
        std::deque<std::string> tokens;
    };
    void dropStale(Clock::time_point now);
    void forget(std::unordered_map<std::string, Pending>::iterator pending);
    void dropOldestOf(const std::string &address);
    bool dropNewestOfHeaviest(const std::string &address);
    void recount(const std::string &address, size_t before, size_t after);

    std::chrono::milliseconds m_lifetime;
    Now m_now;
    size_t m_capacity;
    size_t m_perAddress;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Pending> m_pending;
    std::unordered_map<std::string, AddressTokens> m_byAddress;
    std::set<std::pair<size_t, std::string>> m_bySize;  // addresses by pending tokens
    // Tokens in the order they were issued, which is also the order they expire in.
    std::deque<std::pair<Clock::time_point, std::string>> m_order;
};

} // namespace vornik::server
