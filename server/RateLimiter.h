#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vornik::server {

// Requests allowed per client address: a bucket per address that holds `burst`
// requests and refills at `perMinute`. A rate of 0 lets everything through. The
// table of addresses is bounded: when it is full, buckets that have refilled
// completely (they hold nothing worth remembering) are dropped first, and if none
// has, the whole table is started afresh rather than growing.
class RateLimiter
{
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    RateLimiter(long long perMinute, long long burst, Now now = Clock::now, size_t maxAddresses = 100000);

    // True when `address` may make one more request now; the request is counted.
    bool allow(const std::string &address);
    // Seconds until `address` may make its next request (at least 1).
    long long secondsUntilNext(const std::string &address);

    size_t addresses() const;

private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point refilled;
    };
    void refill(Bucket &bucket, Clock::time_point now) const;
    void makeRoom(Clock::time_point now);

    double m_perSecond;
    double m_burst;
    Now m_now;
    size_t m_maxAddresses;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Bucket> m_buckets;
};

} // namespace vornik::server
