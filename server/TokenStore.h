#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vornik::server {

// The one-time tokens behind the salts that the server hands out. A token is
// md5(salt + shared key); it authorises exactly one request, and only until it
// expires. Safe to use from every worker thread.
class TokenStore
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    explicit TokenStore(std::chrono::milliseconds lifetime, Now now = Clock::now, size_t capacity = 200000);

    // Makes a fresh salt (128 random bits as 32 hex digits) and remembers its token.
    std::string issueSalt();
    // Remembers the token of a given salt; for salts made elsewhere.
    void remember(const std::string &salt);
    // True when the token was issued, not used before and not expired. Either way
    // the token is gone afterwards.
    bool consume(const std::string &token);

    size_t size() const;

    static std::string tokenForSalt(const std::string &salt);

private:
    void dropStale(Clock::time_point now);

    std::chrono::milliseconds m_lifetime;
    Now m_now;
    size_t m_capacity;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Clock::time_point> m_expiry;
    // Tokens in the order they were issued, which is also the order they expire in.
    std::deque<std::pair<Clock::time_point, std::string>> m_order;
};

} // namespace vornik::server
