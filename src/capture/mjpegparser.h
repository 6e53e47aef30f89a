#pragma once
// Splits the body of a multipart/x-mixed-replace HTTP response (motion JPEG) into its parts.
//
// Written for what real cameras and servers send rather than for the letter of the MIME rules:
//  - the boundary may be declared quoted, with or without leading dashes, or not at all (it is then learnt
//    from the first "--token" line of the body); a declared boundary that never appears before a "--token"
//    line is replaced by that token, as a few cameras declare one boundary and use another;
//  - part header names in any letter case; Content-Length may be missing (the body then runs to the next
//    boundary line), beyond MaxPartSize (the part is dropped), too long (the part ends at a boundary line
//    inside it) or too short (the part is cut; the stream resynchronises at the next boundary line);
//  - junk before the first part, empty parts, garbage header blocks and a missing closing boundary.
// Memory stays bounded: at most one part (MaxPartSize) plus one header block is ever buffered; a part that
// would grow beyond MaxPartSize is dropped and the parser looks for the next boundary.
#include <QByteArray>
#include <QByteArrayView>

#include <functional>

class TMjpegParser
{
public:
    static constexpr qsizetype MaxPartSize = 16 * 1024 * 1024;
    static constexpr qsizetype MaxHeaderSize = 16 * 1024;

    // boundary: the value of the Content-Type's boundary parameter as declared (quotes and leading dashes
    // are removed), or empty to learn it from the stream.
    explicit TMjpegParser(QByteArrayView boundary = {});

    // The boundary parameter of a Content-Type header value ("multipart/x-mixed-replace; boundary=..."),
    // unquoted, or empty when there is none.
    static QByteArray BoundaryFromContentType(QByteArrayView contentType);

    // Takes the next bytes of the body. onPart is called for every complete part body, in order; the view is
    // valid only during the call and onPart must not feed this parser.
    using TPartHandler = std::function<void(QByteArrayView body)>;
    void Feed(QByteArrayView data, const TPartHandler &onPart);

    QByteArray Boundary() const { return m_boundary; }
    // Bytes held while waiting for the rest of a part (for tests of the memory bound).
    qsizetype BufferedBytes() const { return m_buf.size(); }
    // Parts dropped for being too large or for garbage headers.
    int DroppedParts() const { return m_dropped; }

private:
    enum class TState
    {
        SeekBoundary,   // junk before a part or after a body: look for a boundary line
        BoundaryLine,   // a boundary token was found: check the rest of its line
        Headers,        // part header lines up to the empty line
        Body,           // Content-Length bytes
        BodyScan        // no Content-Length: up to the next boundary line
    };

    bool Step(const TPartHandler &onPart);  // false: needs more data
    bool SeekBoundary();
    bool LearnBoundary();
    bool AdoptUsedBoundary();
    bool BoundaryLine();
    bool Headers();
    bool Body(const TPartHandler &onPart);
    bool BodyScan(const TPartHandler &onPart);
    qsizetype FindDelimiter(qsizetype from, qsizetype lineStartLimit) const;
    qsizetype LineStartOf(qsizetype hit) const;
    bool EndBodyAt(qsizetype hit, const TPartHandler &onPart);
    bool IsBoundaryLine(QByteArrayView line) const;
    void DropPart();
    void Compact();

    QByteArray m_boundary;      // without leading dashes
    QByteArray m_buf;
    qsizetype m_pos = 0;        // first unconsumed byte of m_buf
    qsizetype m_scan = 0;       // where the next search for a boundary may start
    qsizetype m_partStart = 0;  // first byte of the current part's header block
    qsizetype m_bodyStart = 0;
    qsizetype m_contentLength = -1;
    TState m_state = TState::SeekBoundary;
    bool m_boundarySeen = false;  // a boundary line has been found (the boundary is no longer replaced)
    int m_dropped = 0;
};
