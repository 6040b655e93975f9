#pragma once

#include <string>

namespace vornik::server {

// Random texts from the system's cryptographic source.
std::string randomHex(int bytes);
// A name made of letters and digits only, so it is safe in any path.
std::string randomName(int length = 20);
std::string md5Hex(const std::string &bytes);
std::string sha256Hex(const std::string &bytes);

} // namespace vornik::server
