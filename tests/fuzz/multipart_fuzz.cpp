// libFuzzer target: the upload form reader. The first line of the input is the
// Content-Type header, the rest the body.
#include "server/Multipart.h"

#include <cstdint>
#include <string_view>

using namespace vornik::server;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view type = input.substr(0, newline);
    const std::string_view body = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    if (const auto boundary = multipartBoundary(type)) {
        if (const auto parts = parseMultipart(body, *boundary)) {
            for (const FormPart &part : *parts) {
                // Every part must lie inside the body it was read from.
                if (!part.data.empty() && (part.data.data() < body.data() || part.data.data() + part.data.size() > body.data() + body.size()))
                    __builtin_trap();
            }
            findPart(*parts, "filename");
        }
    }
    return 0;
}
