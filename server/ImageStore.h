#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::server {

// The image files under the data folder: images/NAME.png as uploaded and
// cache/NAME.png with the banner added. Names are the server's own (letters and
// digits), checked again here so that no name can reach outside the folder.
class ImageStore
{
public:
    bool open(const std::string &dataDir, std::string *error);

    static bool isValidName(std::string_view name);

    // Writes to a temporary file, syncs it, renames it into place and syncs the folder.
    // On failure `error` (when given) holds the errno, ENOSPC when the disk is full.
    bool writeOriginal(const std::string &name, std::string_view bytes, int *error = nullptr);
    bool writeCached(const std::string &name, std::string_view bytes);
    std::optional<std::string> readOriginal(const std::string &name) const;
    std::optional<std::string> readCached(const std::string &name) const;
    bool hasCached(const std::string &name) const;
    void remove(const std::string &name);
    void removeCached(const std::string &name);
    // The names of the images that have a file.
    std::vector<std::string> originalNames() const;

    std::string originalPath(const std::string &name) const;
    std::string cachedPath(const std::string &name) const;

private:
    bool writeAtomically(const std::string &folder, const std::string &name, std::string_view bytes, int *error);

    std::string m_images;
    std::string m_cache;
    std::string m_temporary;
};

} // namespace vornik::server
