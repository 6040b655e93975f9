#pragma once

// Raw requests to a vornik-server started by vtest::ServerProcess: exact bytes out,
// status and body back, over loopback.

#include "service/Protocol.h"
#include "tests/harness/ServerProcess.h"

#include <httplib.h>

#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QString>

#include <memory>
#include <string>

namespace wire {

struct Answer {
    int status = 0;  // 0: no HTTP reply at all
    std::string body;
    std::string contentType;
    std::string nosniff;
    std::string policy;  // Content-Security-Policy
};

inline std::string md5(const std::string &bytes)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Md5).toHex().toStdString();
}

inline std::string tokenFor(const std::string &salt)
{
    return md5(salt + std::string(vornik::protocol::sharedKey));
}

inline std::string userId(const char *seed)
{
    return md5(seed);
}

inline std::string pngBytes(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes.toStdString();
}

// The upload form as Vornik writes it: "name"="userid", the user id under the
// five-byte field name, then the file.
inline std::string uploadForm(const std::string &boundary, const std::string &uid, const std::string &png,
                              const std::string &userField = std::string(vornik::protocol::formUserIdField))
{
    const std::string dash = "--" + boundary + "\r\n";
    return dash + "Content-Disposition: form-data; name=\"name\"\r\n\r\nuserid\r\n"
         + dash + "Content-Disposition: form-data; name=\"" + userField + "\"\r\n\r\n" + uid + "\r\n"
         + dash + "Content-Disposition: form-data; name=\"filename\"; filename=\"shot.png\"\r\n"
         + "Content-Type: image/png\r\n\r\n" + png + "\r\n--" + boundary + "--\r\n";
}

class Client
{
public:
    explicit Client(const vtest::ServerProcess &server)
        : m_client(server.baseUrl().chopped(1).toStdString())
    {
        m_client.set_ca_cert_path(server.caFile().toStdString());
        m_client.enable_server_certificate_verification(true);
        m_client.set_url_encode(false);  // paths go out exactly as written
        m_client.set_connection_timeout(10, 0);
        m_client.set_read_timeout(60, 0);
        m_client.set_write_timeout(60, 0);
    }

    Answer get(const std::string &path)
    {
        return answer(m_client.Get(path.c_str()));
    }

    Answer post(const std::string &path, const std::string &body, const std::string &contentType)
    {
        return answer(m_client.Post(path.c_str(), body, contentType.c_str()));
    }

    // Keeps the connection open between requests, as browsers and Vornik do.
    void keepAlive() { m_client.set_keep_alive(true); }

    std::string salt() { return get("/salt/").body; }
    std::string token() { return tokenFor(salt()); }

    Answer upload(const std::string &uid, const std::string &png)
    {
        const std::string boundary = "vornik-wire-boundary";
        return post("/upload/" + token(), uploadForm(boundary, uid, png), "multipart/form-data; boundary=" + boundary);
    }

    Answer history(const std::string &uid, bool shortList = false)
    {
        return get("/history/" + token() + "/" + uid + (shortList ? "/10" : ""));
    }

private:
    static Answer answer(const httplib::Result &result)
    {
        if (!result)
            return {};
        return Answer{result->status, result->body, result->get_header_value("Content-Type"),
                      result->get_header_value("X-Content-Type-Options"),
                      result->get_header_value("Content-Security-Policy")};
    }

    httplib::Client m_client;
};

// "HOST:PORT/NAME.png" -> "NAME"
inline std::string nameFromAddress(const std::string &address)
{
    const size_t slash = address.rfind('/');
    const size_t dot = address.rfind(".png");
    if (slash == std::string::npos || dot == std::string::npos || dot < slash)
        return {};
    return address.substr(slash + 1, dot - slash - 1);
}

inline int storedFileCount(const vtest::ServerProcess &server)
{
    return int(QDir(server.dataDir() + QStringLiteral("/images")).entryList(QDir::Files).size());
}

} // namespace wire
