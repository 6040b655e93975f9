#pragma once

#include <QByteArray>
#include <QList>

// A multipart/form-data body (RFC 7578) built in memory, so the exact bytes sent are
// known and can be checked. Field names are written as given, byte for byte: the
// service expects one field whose name holds a line break.
class MultipartForm
{
public:
    // A random boundary unless one is given.
    explicit MultipartForm(const QByteArray &boundary = QByteArray());

    void addText(const QByteArray &name, const QByteArray &value);
    void addFile(const QByteArray &name, const QByteArray &fileName, const QByteArray &contentType,
                 const QByteArray &data);

    QByteArray boundary() const { return m_boundary; }
    // "multipart/form-data; boundary=..."
    QByteArray contentType() const;
    // The whole body. When a part happens to contain the boundary, a new random
    // boundary is chosen first (only possible when none was given).
    QByteArray body();

    static QByteArray randomBoundary();

private:
    struct Part {
        QByteArray disposition;
        QByteArray contentType;
        QByteArray data;
    };
    bool boundaryOccursInParts() const;
    static QByteArray quoted(const QByteArray &fileName);

    QByteArray m_boundary;
    bool m_boundaryChosen = false;
    QList<Part> m_parts;
};
