#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::server {

// One entry of a multipart/form-data body.
struct FormPart {
    std::string name;
    std::string filename;
    bool hasFilename = false;
    std::string contentType;
    std::string_view data;  // points into the body that was parsed
};

// The boundary parameter of a multipart/form-data content type, or nothing.
std::optional<std::string> multipartBoundary(std::string_view contentType);

// Splits a multipart/form-data body into its entries. Quoted parameter values
// are taken byte for byte up to the closing quote, so a field name may hold line
// breaks (our client's user-id field does). Nothing on a malformed body.
std::optional<std::vector<FormPart>> parseMultipart(std::string_view body, std::string_view boundary);

// The first entry with the given name, if any.
const FormPart *findPart(const std::vector<FormPart> &parts, std::string_view name);

} // namespace vornik::server
