#include "server/StorageUsage.h"

#include <algorithm>

namespace vornik::server {

StorageUsage::StorageUsage(long long userQuotaBytes, long long totalQuotaBytes)
    : m_userQuota(userQuotaBytes), m_totalQuota(totalQuotaBytes)
{
}

void StorageUsage::add(const std::string &owner, long long bytes)
{
    std::lock_guard lock(m_mutex);
    m_byOwner[owner] += bytes;
    m_total += bytes;
}

StorageUsage::Verdict StorageUsage::reserve(const std::string &owner, long long bytes, bool userQuotaHere)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_byOwner.find(owner);
    const long long own = found == m_byOwner.end() ? 0 : found->second;
    // Compared as "what is left" so that no sum can overflow.
    if (userQuotaHere && m_userQuota > 0 && bytes > m_userQuota - own)
        return Verdict::userFull;
    if (m_totalQuota > 0 && bytes > m_totalQuota - m_total)
        return Verdict::serverFull;
    m_byOwner[owner] = own + bytes;
    m_total += bytes;
    return Verdict::fits;
}

void StorageUsage::release(const std::string &owner, long long bytes)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_byOwner.find(owner);
    if (found == m_byOwner.end())
        return;
    const long long returned = std::min(bytes, found->second);
    found->second -= returned;
    m_total -= returned;
    if (found->second == 0)
        m_byOwner.erase(found);
}

long long StorageUsage::usedBy(const std::string &owner) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_byOwner.find(owner);
    return found == m_byOwner.end() ? 0 : found->second;
}

long long StorageUsage::total() const
{
    std::lock_guard lock(m_mutex);
    return m_total;
}

} // namespace vornik::server
