#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornik::server {

// Limits of the strip, in pixels.
inline constexpr int bannerMaxImageHeight = 120;
inline constexpr int bannerPadding = 8;
// The largest picture decoration makes (the image with the tallest strip on top),
// which bounds the memory one decoration takes.
inline constexpr long long maxComposedPixels = 64LL * 1024 * 1024;

enum class PngCheck { decodable, notPng, tooLarge };

// Whether the bytes are a PNG that decodes completely and is small enough to be
// decorated (its size is read before any pixel is).
PngCheck checkPng(std::string_view bytes);
inline bool isDecodablePng(std::string_view bytes)
{
    return checkPng(bytes) == PngCheck::decodable;
}

// Whether the text is a color as "#RRGGBB".
bool isHexColor(std::string_view text);

// The image with the owner's banner on top: a strip in the banner color, as wide
// as the image, carrying the banner image scaled down to fit and centred. PNG
// bytes, or nothing when either image does not decode or the result would be
// larger than maxComposedPixels.
std::optional<std::string> composeWithBanner(std::string_view imagePng, std::string_view bannerPng,
                                             std::string_view color);

} // namespace vornik::server
