#pragma once

#include "server/Store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::server {

// Where an image's bytes are for a reply: a file to stream from disk, or the bytes.
struct ImageSource {
    std::string file;
    std::string bytes;
};

// Where the PNG bytes live: a folder (which several instances may share) or the
// database. Originals are kept as uploaded; composites (an image with its owner's
// banner) are kept per banner version `key`, so that a composite never changes
// once written and no instance can show one made for another banner.
class ImageStorage
{
public:
    virtual ~ImageStorage() = default;

    virtual std::string description() const = 0;
    // On failure `error` (when given) holds the errno, ENOSPC when there is no room.
    virtual bool writeOriginal(const std::string &name, std::string_view bytes, int *error = nullptr) = 0;
    virtual std::optional<std::string> readOriginal(const std::string &name) const = 0;
    // The original for a reply; not checked for existence when it is a file.
    virtual ImageSource originalSource(const std::string &name) const = 0;
    virtual bool writeComposite(const std::string &name, const std::string &key, std::string_view bytes) = 0;
    // The composite for a reply, when there is one for this key.
    virtual std::optional<ImageSource> compositeSource(const std::string &name, const std::string &key) const = 0;
    virtual void removeComposite(const std::string &name, const std::string &key) = 0;
    // Removes a composite to keep the cache of composites within its bound.
    virtual void evictComposite(const std::string &name, const std::string &key) { removeComposite(name, key); }
    // A composite's size in bytes; 0 when there is none.
    virtual long long compositeSize(const std::string &name, const std::string &key) const = 0;
    // The composites kept now (image name and key), least recently used first, with
    // their sizes; as far as the storage can tell cheaply at start-up.
    struct Composite {
        std::string name;
        std::string key;
        long long bytes = 0;
    };
    virtual std::vector<Composite> composites() const { return {}; }
    // Removes the original and the composite made for `compositeKey`.
    virtual void removeImage(const std::string &name, const std::string &compositeKey) = 0;
    // The names of the images that have an original.
    virtual std::vector<std::string> originalNames() const = 0;
    // The original's size in bytes (0 when there is none), for the quotas.
    virtual long long originalSize(const std::string &name) const = 0;
};

// The PNG bytes in the database (--storage database): one engine holds everything,
// and any instance serves any image.
class DatabaseImages final : public ImageStorage
{
public:
    explicit DatabaseImages(Store &store) : m_store(store) {}

    std::string description() const override { return "database"; }
    bool writeOriginal(const std::string &name, std::string_view bytes, int *error = nullptr) override;
    std::optional<std::string> readOriginal(const std::string &name) const override;
    ImageSource originalSource(const std::string &name) const override;
    bool writeComposite(const std::string &name, const std::string &key, std::string_view bytes) override;
    std::optional<ImageSource> compositeSource(const std::string &name, const std::string &key) const override;
    void removeComposite(const std::string &name, const std::string &key) override;
    void evictComposite(const std::string &name, const std::string &key) override;
    long long compositeSize(const std::string &name, const std::string &key) const override;
    std::vector<Composite> composites() const override;
    void removeImage(const std::string &name, const std::string &compositeKey) override;
    std::vector<std::string> originalNames() const override;
    long long originalSize(const std::string &name) const override;

private:
    Store &m_store;
};

} // namespace vornik::server
