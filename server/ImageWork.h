#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornik::server {

// Whether the bytes are a PNG that decodes completely.
bool isDecodablePng(std::string_view bytes);

// Whether the text is a color as "#RRGGBB".
bool isHexColor(std::string_view text);

// The image with the owner's banner on top: a strip in the banner color, as wide
// as the image, carrying the banner image scaled down to fit and centred. PNG
// bytes, or nothing when either image does not decode.
std::optional<std::string> composeWithBanner(std::string_view imagePng, std::string_view bannerPng,
                                             std::string_view color);

// Limits of the strip, in pixels.
inline constexpr int bannerMaxImageHeight = 120;
inline constexpr int bannerPadding = 8;

} // namespace vornik::server
