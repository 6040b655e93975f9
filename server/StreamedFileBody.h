#pragma once

#include <boost/asio/buffer.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/file_posix.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/optional.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace vornik::server {

// A response body read from a file in pieces of one TLS record (16 KiB). Beast's
// own file body reads 4 KiB at a time, and each piece then goes out as a record
// and a system call of its own: four times the calls for the same bytes. A piece
// per record keeps what a reply holds in memory at 16 KiB, whatever the file's size.
struct StreamedFileBody {
    static constexpr size_t pieceSize = 16 * 1024;

    struct value_type {
        boost::beast::file_posix file;
        std::uint64_t bytes = 0;

        void open(const char *path, boost::beast::error_code &error)
        {
            file.open(path, boost::beast::file_mode::scan, error);
            bytes = error ? 0 : file.size(error);
        }
        std::uint64_t size() const { return bytes; }
    };

    static std::uint64_t size(const value_type &body) { return body.bytes; }

    class writer
    {
    public:
        using const_buffers_type = boost::asio::const_buffer;

        template <bool isRequest, class Fields>
        writer(boost::beast::http::header<isRequest, Fields> &, value_type &body) : m_body(body)
        {
        }

        void init(boost::beast::error_code &error)
        {
            error = {};
            m_left = m_body.bytes;
        }

        boost::optional<std::pair<const_buffers_type, bool>> get(boost::beast::error_code &error)
        {
            const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(m_left, m_piece.size()));
            if (wanted == 0) {
                error = {};
                return boost::none;
            }
            const size_t read = m_body.file.read(m_piece.data(), wanted, error);
            if (error)
                return boost::none;
            // The file shrank after its size was sent: the reply cannot be completed.
            if (read == 0) {
                error = boost::beast::http::error::short_read;
                return boost::none;
            }
            m_left -= read;
            return {{const_buffers_type(m_piece.data(), read), m_left > 0}};
        }

    private:
        value_type &m_body;
        std::uint64_t m_left = 0;
        std::array<char, pieceSize> m_piece;
    };
};

} // namespace vornik::server
