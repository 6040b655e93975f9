#pragma once

#include "server/ImageStorage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::server {

// The image files under a folder: images/NAME.png as uploaded and
// cache/NAME-KEY.png with the banner of version KEY added. Names are the server's
// own (letters and digits), checked again here so that no name can reach outside
// the folder. Several instances may share the folder (over a network file system):
// every file is written under a temporary name and renamed into place complete.
class ImageStore final : public ImageStorage
{
public:
    // `shared`: other instances may be writing into the folder at the same time.
    bool open(const std::string &dataDir, std::string *error, bool shared = false);

    static bool isValidName(std::string_view name);

    std::string description() const override { return "folder:" + m_root; }
    // Writes to a temporary file, syncs it, renames it into place and syncs the folder.
    // On failure `error` (when given) holds the errno, ENOSPC when the disk is full.
    bool writeOriginal(const std::string &name, std::string_view bytes, int *error = nullptr) override;
    bool writeCached(const std::string &name, std::string_view bytes, const std::string &key = {});
    std::optional<std::string> readOriginal(const std::string &name) const override;
    std::optional<std::string> readCached(const std::string &name, const std::string &key = {}) const;
    bool hasCached(const std::string &name, const std::string &key = {}) const;
    void remove(const std::string &name, const std::string &cachedKey = {});
    void removeCached(const std::string &name, const std::string &key = {});
    // The names of the images that have a file.
    std::vector<std::string> originalNames() const override;
    long long originalSize(const std::string &name) const override;

    ImageSource originalSource(const std::string &name) const override { return ImageSource{originalPath(name), {}}; }
    bool writeComposite(const std::string &name, const std::string &key, std::string_view bytes) override
    {
        return writeCached(name, bytes, key);
    }
    std::optional<ImageSource> compositeSource(const std::string &name, const std::string &key) const override;
    void removeComposite(const std::string &name, const std::string &key) override { removeCached(name, key); }
    long long compositeSize(const std::string &name, const std::string &key) const override;
    // The files under cache/, least recently changed first.
    std::vector<Composite> composites() const override;
    void removeImage(const std::string &name, const std::string &compositeKey) override { remove(name, compositeKey); }

    std::string originalPath(const std::string &name) const;
    // cache/NAME-KEY.png; cache/NAME.png for the keys of older versions, which were
    // not version numbers.
    std::string cachedPath(const std::string &name, const std::string &key = {}) const;

private:
    bool writeAtomically(const std::string &target, const std::string &name, std::string_view bytes, int *error);

    std::string m_root;
    std::string m_images;
    std::string m_cache;
    std::string m_temporary;
};

} // namespace vornik::server
