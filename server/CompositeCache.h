#pragma once

#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vornik::server {

// The bytes that composites (images with their owner's banner) take, against a
// bound: composites are made on every read of a decorated image, by anyone, so
// without one they could fill the disk without counting in anyone's quota. The
// least recently used go first, and one larger than the whole bound is not kept
// at all. Safe to use from
// every thread; only bookkeeping, the caller removes what it is told to.
class CompositeCache
{
public:
    using Entry = std::pair<std::string, std::string>;  // image name, banner key

    explicit CompositeCache(long long limitBytes) : m_limit(limitBytes) {}

    // Counts a composite as used now (made or read); returns the composites to
    // remove to keep within the bound, least recently used first (the one used
    // now last, when it alone is over the bound).
    std::vector<Entry> use(const std::string &name, const std::string &key, long long bytes);
    void forget(const std::string &name, const std::string &key);
    long long bytes() const;

private:
    struct Kept {
        long long bytes;
        std::list<Entry>::iterator place;
    };
    long long m_limit;
    mutable std::mutex m_mutex;
    std::list<Entry> m_order;  // least recently used first
    std::unordered_map<std::string, Kept> m_kept;  // by name + '\n' + key
    long long m_bytes = 0;
};

} // namespace vornik::server
