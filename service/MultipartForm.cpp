#include "service/MultipartForm.h"

#include <QRandomGenerator>

MultipartForm::MultipartForm(const QByteArray &boundary)
    : m_boundary(boundary.isEmpty() ? randomBoundary() : boundary)
    , m_boundaryChosen(!boundary.isEmpty())
{
}

QByteArray MultipartForm::randomBoundary()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return "vornik-" + QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
}

void MultipartForm::addText(const QByteArray &name, const QByteArray &value)
{
    m_parts.append({"form-data; name=\"" + name + "\"", QByteArray(), value});
}

void MultipartForm::addFile(const QByteArray &name, const QByteArray &fileName, const QByteArray &contentType,
                            const QByteArray &data)
{
    m_parts.append({"form-data; name=\"" + name + "\"; filename=\"" + quoted(fileName) + "\"", contentType, data});
}

// A file name is the user's text: a quote or line break in it would end the header
// early, so those are percent-encoded as browsers do.
QByteArray MultipartForm::quoted(const QByteArray &fileName)
{
    QByteArray escaped = fileName;
    escaped.replace('"', "%22").replace('\r', "%0D").replace('\n', "%0A");
    return escaped;
}

QByteArray MultipartForm::contentType() const
{
    return "multipart/form-data; boundary=" + m_boundary;
}

bool MultipartForm::boundaryOccursInParts() const
{
    for (const Part &part : m_parts) {
        if (part.data.contains(m_boundary) || part.disposition.contains(m_boundary))
            return true;
    }
    return false;
}

QByteArray MultipartForm::body()
{
    while (!m_boundaryChosen && boundaryOccursInParts())
        m_boundary = randomBoundary();
    QByteArray out;
    for (const Part &part : m_parts) {
        out += "--" + m_boundary + "\r\n";
        out += "Content-Disposition: " + part.disposition + "\r\n";
        if (!part.contentType.isEmpty())
            out += "Content-Type: " + part.contentType + "\r\n";
        out += "\r\n";
        out += part.data;
        out += "\r\n";
    }
    out += "--" + m_boundary + "--\r\n";
    return out;
}
