#include "server/ImageStorage.h"

#include <cerrno>

namespace vornik::server {

bool DatabaseImages::writeOriginal(const std::string &name, std::string_view bytes, int *error)
{
    const Change stored = m_store.putBlob(BlobKind::original, name, {}, std::string(bytes));
    if (stored != Change::done && error)
        *error = stored == Change::full ? ENOSPC : EIO;
    return stored == Change::done;
}

std::optional<std::string> DatabaseImages::readOriginal(const std::string &name) const
{
    return m_store.blob(BlobKind::original, name, {});
}

ImageSource DatabaseImages::originalSource(const std::string &name) const
{
    return ImageSource{{}, readOriginal(name).value_or(std::string())};
}

bool DatabaseImages::writeComposite(const std::string &name, const std::string &key, std::string_view bytes)
{
    return m_store.removeBlobs(name, false)
        && m_store.putBlob(BlobKind::composite, name, key, std::string(bytes)) == Change::done;
}

std::optional<ImageSource> DatabaseImages::compositeSource(const std::string &name, const std::string &key) const
{
    auto bytes = m_store.blob(BlobKind::composite, name, key);
    if (!bytes)
        return std::nullopt;
    return ImageSource{{}, std::move(*bytes)};
}

// writeComposite already replaced every older composite of the image; removing by
// name here would take the new one too.
void DatabaseImages::removeComposite(const std::string &, const std::string &)
{
}

// The database keeps one composite per image, so removing by name takes just it.
void DatabaseImages::evictComposite(const std::string &name, const std::string &)
{
    m_store.removeBlobs(name, false);
}

long long DatabaseImages::compositeSize(const std::string &name, const std::string &key) const
{
    return m_store.blobSize(BlobKind::composite, name, key);
}

std::vector<ImageStorage::Composite> DatabaseImages::composites() const
{
    std::vector<Composite> composites;
    for (Store::BlobEntry &blob : m_store.compositeBlobs())
        composites.push_back(Composite{std::move(blob.name), std::move(blob.key), blob.bytes});
    return composites;
}

void DatabaseImages::removeImage(const std::string &name, const std::string &)
{
    m_store.removeBlobs(name, true);
}

std::vector<std::string> DatabaseImages::originalNames() const
{
    return m_store.blobNames();
}

long long DatabaseImages::originalSize(const std::string &name) const
{
    return m_store.blobSize(BlobKind::original, name, {});
}

} // namespace vornik::server
