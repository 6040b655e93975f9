#pragma once

// The wire protocol between Vornik and vornik-server, in one place so that the
// client and the server cannot drift apart. Plain C++: the server includes it too.

#include <cstddef>
#include <string_view>

namespace vornik::protocol {

// Appended to every salt before hashing; the MD5 of salt + key, as 32 lower-case
// hex digits, is the one-time token that authorises a request.
inline constexpr std::string_view sharedKey = "5d0c7a93e1b84f26a9c3e7d15b02f8c4";

// Path words; each request URL is the base URL followed by one of these.
inline constexpr std::string_view saltPath = "salt/";
inline constexpr std::string_view uploadPath = "upload/";
inline constexpr std::string_view historyPath = "history/";
inline constexpr std::string_view deletePath = "delete/";
inline constexpr std::string_view setUserPath = "setuser/";
inline constexpr std::string_view rawPath = "raw/";
inline constexpr std::string_view shortHistorySuffix = "/10";
inline constexpr std::size_t shortHistoryLimit = 10;

// The upload form: three entries.
inline constexpr std::string_view formNameField = "name";       // value: formNameValue
inline constexpr std::string_view formNameValue = "userid";
// The field that carries the user id has a five-byte name: backslash, 'r', LF, CR, LF.
inline constexpr std::string_view formUserIdField = "\\r\n\r\n";
inline constexpr std::string_view formFileField = "filename";   // the PNG itself

// set-user query keys, in the order the client sends them.
inline constexpr std::string_view setUserIdKey = "id";
inline constexpr std::string_view setUserImageKey = "headerImage";
inline constexpr std::string_view setUserColorKey = "headerColor";

// A user id is the MD5 of a UUID: 32 lower-case hex digits.
inline constexpr std::size_t userIdLength = 32;

// How long a salt stays usable after it was handed out.
inline constexpr int tokenLifetimeSeconds = 600;

inline constexpr bool isUserId(std::string_view text)
{
    if (text.size() != userIdLength)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

static_assert(formUserIdField.size() == 5);
static_assert(isUserId(sharedKey));

} // namespace vornik::protocol
