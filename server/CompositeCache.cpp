#include "server/CompositeCache.h"

namespace vornik::server {
namespace {

std::string keyOf(const std::string &name, const std::string &key)
{
    return name + '\n' + key;
}

} // namespace

std::vector<CompositeCache::Entry> CompositeCache::use(const std::string &name, const std::string &key, long long bytes)
{
    std::lock_guard lock(m_mutex);
    const std::string id = keyOf(name, key);
    if (const auto found = m_kept.find(id); found != m_kept.end()) {
        m_bytes -= found->second.bytes;
        m_order.erase(found->second.place);
        m_kept.erase(found);
    }
    m_kept.emplace(id, Kept{bytes, m_order.insert(m_order.end(), Entry{name, key})});
    m_bytes += bytes;
    std::vector<Entry> evicted;
    while (m_bytes > m_limit && !m_order.empty()) {
        Entry oldest = m_order.front();
        const auto found = m_kept.find(keyOf(oldest.first, oldest.second));
        m_bytes -= found->second.bytes;
        m_order.pop_front();
        m_kept.erase(found);
        evicted.push_back(std::move(oldest));
    }
    return evicted;
}

void CompositeCache::forget(const std::string &name, const std::string &key)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_kept.find(keyOf(name, key));
    if (found == m_kept.end())
        return;
    m_bytes -= found->second.bytes;
    m_order.erase(found->second.place);
    m_kept.erase(found);
}

long long CompositeCache::bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

} // namespace vornik::server
