#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

namespace vornik::server {

// Bytes of uploads kept, per user and in total, against the quotas (0: none). An
// upload reserves its size before it is written and gives it back if it is not
// kept, so that parallel uploads cannot overrun a quota together.
class StorageUsage
{
public:
    enum class Verdict { fits, userFull, serverFull };

    StorageUsage(long long userQuotaBytes, long long totalQuotaBytes);

    // Counts an image already stored (at start-up).
    void add(const std::string &owner, long long bytes);
    // `userQuotaHere`: false when the user's quota is judged elsewhere (in a
    // database that several instances share); the total quota still counts here.
    Verdict reserve(const std::string &owner, long long bytes, bool userQuotaHere = true);
    void release(const std::string &owner, long long bytes);

    long long usedBy(const std::string &owner) const;
    long long total() const;

private:
    long long m_userQuota;
    long long m_totalQuota;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, long long> m_byOwner;
    long long m_total = 0;
};

} // namespace vornik::server
