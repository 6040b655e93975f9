#include "server/RateLimiter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vornik::server {

RateLimiter::RateLimiter(long long perMinute, long long burst, Now now, size_t maxAddresses)
    : m_perSecond(double(perMinute) / 60.0), m_burst(double(std::max(burst, 1LL))), m_now(std::move(now)),
      m_maxAddresses(std::max<size_t>(maxAddresses, 1))
{
}

void RateLimiter::refill(Bucket &bucket, Clock::time_point now) const
{
    const double seconds = std::chrono::duration<double>(now - bucket.refilled).count();
    bucket.tokens = std::min(m_burst, bucket.tokens + std::max(seconds, 0.0) * m_perSecond);
    bucket.refilled = now;
}

void RateLimiter::makeRoom(Clock::time_point now)
{
    for (auto bucket = m_buckets.begin(); bucket != m_buckets.end();) {
        refill(bucket->second, now);
        bucket = bucket->second.tokens >= m_burst ? m_buckets.erase(bucket) : std::next(bucket);
    }
    // Every address is mid-burst: a flood from more addresses than the table holds.
    // Forgetting them all lets each start a fresh burst, which is bounded anyway.
    if (m_buckets.size() >= m_maxAddresses)
        m_buckets.clear();
}

bool RateLimiter::allow(const std::string &address)
{
    if (m_perSecond <= 0)
        return true;
    std::lock_guard lock(m_mutex);
    const Clock::time_point now = m_now();
    auto found = m_buckets.find(address);
    if (found == m_buckets.end()) {
        if (m_buckets.size() >= m_maxAddresses)
            makeRoom(now);
        found = m_buckets.emplace(address, Bucket{m_burst, now}).first;
    }
    Bucket &bucket = found->second;
    refill(bucket, now);
    if (bucket.tokens < 1.0)
        return false;
    bucket.tokens -= 1.0;
    return true;
}

long long RateLimiter::secondsUntilNext(const std::string &address)
{
    if (m_perSecond <= 0)
        return 1;
    std::lock_guard lock(m_mutex);
    const auto found = m_buckets.find(address);
    if (found == m_buckets.end())
        return 1;
    refill(found->second, m_now());
    const double missing = std::max(0.0, 1.0 - found->second.tokens);
    return std::max(1LL, static_cast<long long>(std::ceil(missing / m_perSecond)));
}

size_t RateLimiter::addresses() const
{
    std::lock_guard lock(m_mutex);
    return m_buckets.size();
}

} // namespace vornik::server
