#pragma once

// What the server benchmarks share: tokens, the upload form as Vornik writes it,
// and percentiles of latencies.

#include "service/Protocol.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <algorithm>
#include <string>
#include <vector>

namespace benchtools {

inline std::string md5(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5).toHex().toStdString();
}

inline std::string tokenFor(const std::string &salt)
{
    return md5(salt + std::string(vornik::protocol::sharedKey));
}

inline double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

// The form with the boundary "bench-boundary".
inline std::string uploadForm(const std::string &uid, const std::string &png)
{
    const std::string dash = "--bench-boundary\r\n";
    return dash + "Content-Disposition: form-data; name=\"name\"\r\n\r\nuserid\r\n" + dash
         + "Content-Disposition: form-data; name=\"" + std::string(vornik::protocol::formUserIdField) + "\"\r\n\r\n" + uid
         + "\r\n" + dash + "Content-Disposition: form-data; name=\"filename\"; filename=\"a2.png\"\r\n"
         + "Content-Type: image/png\r\n\r\n" + png + "\r\n--bench-boundary--\r\n";
}

} // namespace benchtools
