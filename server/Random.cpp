#include "server/Random.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace vornik::server {

std::string randomHex(int bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes * 2);
    for (int i = 0; i < bytes; ++i) {
        const quint32 byte = QRandomGenerator::system()->bounded(256u);
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 15]);
    }
    return text;
}

std::string randomName(int length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name;
    name.reserve(length);
    for (int i = 0; i < length; ++i)
        name.push_back(alphabet[QRandomGenerator::system()->bounded(62u)]);
    return name;
}

std::string md5Hex(const std::string &bytes)
{
    const QByteArray digest = QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                                       QCryptographicHash::Md5)
                                  .toHex();
    return digest.toStdString();
}

std::string sha256Hex(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

} // namespace vornik::server
