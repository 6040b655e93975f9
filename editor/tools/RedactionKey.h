#pragma once

#include <QtGlobal>

#include <array>

// The random choices behind one redaction: 256 bits from the system's cryptographic
// source. A figure draws its key once and keeps it, so the editor and every export
// show the same pixels.
struct RedactionKey {
    std::array<quint32, 8> words{};

    static RedactionKey fresh();
    bool operator==(const RedactionKey &) const = default;
};
