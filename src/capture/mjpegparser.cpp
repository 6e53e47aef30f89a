#include "capture/mjpegparser.h"

#include "capture/httptext.h"

#include <algorithm>

namespace {

using httptext::EqualsNoCase;
using httptext::IsBlank;
using httptext::Trimmed;

QByteArrayView WithoutLeadingDashes(QByteArrayView v)
{
    while (!v.isEmpty() && v.front() == '-')
        v = v.sliced(1);
    return v;
}

bool IsToken(QByteArrayView v)
{
    if (v.isEmpty() || v.size() > 100)
        return false;
    return std::all_of(v.begin(), v.end(), [](char c) { return c > ' ' && c < 127; });
}

// A line longer than this cannot be the rest of a boundary line.
constexpr qsizetype MaxBoundaryLineTail = 256;

} // namespace

TMjpegParser::TMjpegParser(QByteArrayView boundary)
{
    boundary = Trimmed(boundary);
    if (boundary.size() >= 2 && boundary.front() == '"' && boundary.back() == '"')
        boundary = Trimmed(boundary.sliced(1, boundary.size() - 2));
    m_boundary = WithoutLeadingDashes(boundary).toByteArray();
}

QByteArray TMjpegParser::BoundaryFromContentType(QByteArrayView contentType)
{
    qsizetype at = 0;
    while (at < contentType.size()) {
        qsizetype semicolon = contentType.indexOf(';', at);
        if (semicolon < 0)
            semicolon = contentType.size();
        const QByteArrayView param = Trimmed(contentType.sliced(at, semicolon - at));
        at = semicolon + 1;
        const qsizetype eq = param.indexOf('=');
        if (eq < 0 || !EqualsNoCase(Trimmed(param.first(eq)), "boundary"))
            continue;
        QByteArrayView value = Trimmed(param.sliced(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.sliced(1, value.size() - 2);
        return Trimmed(value).toByteArray();
    }
    return {};
}

void TMjpegParser::Feed(QByteArrayView data, const TPartHandler &onPart)
{
    m_buf.append(data);
    while (Step(onPart)) {
    }
    Compact();
}

bool TMjpegParser::Step(const TPartHandler &onPart)
{
    switch (m_state) {
    case TState::SeekBoundary:
        return SeekBoundary();
    case TState::BoundaryLine:
        return BoundaryLine();
    case TState::Headers:
        return Headers();
    case TState::Body:
        return Body(onPart);
    case TState::BodyScan:
        return BodyScan(onPart);
    }
    return false;
}

// Finds the next boundary token from `from` that is preceded by at least two dashes and, before them, by a
// line feed. Positions below `lowest` are not looked at; with startCounts a run of dashes reaching `lowest`
// counts as a line start (the bytes before it were already discarded).
qsizetype TMjpegParser::FindDelimiter(qsizetype from, qsizetype lowest) const
{
    const bool startCounts = m_state == TState::SeekBoundary;
    while (true) {
        const qsizetype hit = m_buf.indexOf(m_boundary, from);
        if (hit < 0)
            return -1;
        qsizetype k = hit - 1;
        int dashes = 0;
        while (k >= lowest && m_buf.at(k) == '-') {
            --k;
            ++dashes;
        }
        if (dashes >= 2 && (k < lowest ? startCounts : m_buf.at(k) == '\n'))
            return hit;
        from = hit + 1;
    }
}

bool TMjpegParser::IsBoundaryLine(QByteArrayView line) const
{
    if (m_boundary.isEmpty() || !line.startsWith("--"))
        return false;
    QByteArrayView token = WithoutLeadingDashes(line);
    if (!token.startsWith(m_boundary))
        return false;
    const QByteArrayView tail = Trimmed(token.sliced(m_boundary.size()));
    return tail.isEmpty() || tail == "--";
}

bool TMjpegParser::SeekBoundary()
{
    if (m_boundary.isEmpty())
        return LearnBoundary();
    const qsizetype hit = FindDelimiter(m_pos, m_pos);
    if (hit < 0 && !m_boundarySeen && AdoptUsedBoundary())
        return true;
    if (hit < 0) {
        // Keep only what could be the start of a boundary line split across two reads (before any boundary
        // was seen: of a boundary line and the header line after it).
        const qsizetype keep = m_boundarySeen ? m_boundary.size() + 8 : 2 * MaxBoundaryLineTail;
        m_pos = std::max(m_pos, m_buf.size() - keep);
        return false;
    }
    m_pos = hit + m_boundary.size();
    m_state = TState::BoundaryLine;
    return true;
}

bool TMjpegParser::LearnBoundary()
{
    qsizetype from = m_pos;
    while (true) {
        const qsizetype dashes = m_buf.indexOf("--", from);
        if (dashes < 0) {
            m_pos = std::max(m_pos, m_buf.size() - 1);
            return false;
        }
        if (dashes > m_pos && m_buf.at(dashes - 1) != '\n') {
            from = dashes + 1;
            continue;
        }
        const qsizetype nl = m_buf.indexOf('\n', dashes);
        if (nl < 0) {
            if (m_buf.size() - dashes > MaxBoundaryLineTail) {
                from = dashes + 2;
                continue;
            }
            m_pos = dashes;
            return false;
        }
        QByteArrayView token = WithoutLeadingDashes(Trimmed(QByteArrayView(m_buf).sliced(dashes, nl - dashes)));
        if (token.endsWith("--"))
            token.chop(2);
        if (IsToken(token)) {
            m_boundary = token.toByteArray();
            m_pos = nl + 1;
            m_partStart = m_pos;
            m_contentLength = -1;
            m_state = TState::Headers;
            return true;
        }
        from = nl;
    }
}

// Before the declared boundary has ever appeared: a "--token" line followed by a part header line
// ("Content-...: ...") shows the boundary the camera really uses. False when there is none (yet).
bool TMjpegParser::AdoptUsedBoundary()
{
    qsizetype lineStart = m_pos;
    while (true) {
        const qsizetype nl = m_buf.indexOf('\n', lineStart);
        if (nl < 0)
            return false;
        const QByteArrayView line = Trimmed(QByteArrayView(m_buf).sliced(lineStart, nl - lineStart));
        const qsizetype nextEnd = m_buf.indexOf('\n', nl + 1);
        if (line.startsWith("--") && nextEnd >= 0) {
            const QByteArrayView token = WithoutLeadingDashes(line);
            const QByteArrayView next = Trimmed(QByteArrayView(m_buf).sliced(nl + 1, nextEnd - nl - 1));
            if (IsToken(token) && next.size() > 8 && next.indexOf(':') > 0
                && qstrnicmp(next.data(), 8, "content-", 8) == 0) {
                m_boundary = token.toByteArray();
                m_pos = lineStart;
                return true;
            }
        }
        lineStart = nl + 1;
    }
}

bool TMjpegParser::BoundaryLine()
{
    const qsizetype nl = m_buf.indexOf('\n', m_pos);
    if (nl < 0) {
        if (m_buf.size() - m_pos <= MaxBoundaryLineTail)
            return false;
        m_state = TState::SeekBoundary;
        return true;
    }
    const QByteArrayView rest = Trimmed(QByteArrayView(m_buf).sliced(m_pos, nl - m_pos));
    if (rest.startsWith("--")) {
        // Closing boundary. Some servers go on regardless, so keep looking.
        m_pos = nl + 1;
        m_state = TState::SeekBoundary;
        return true;
    }
    if (!rest.isEmpty()) {
        // The token was only the beginning of a longer word: not a boundary line.
        m_state = TState::SeekBoundary;
        return true;
    }
    m_pos = nl + 1;
    m_partStart = m_pos;
    m_contentLength = -1;
    m_state = TState::Headers;
    m_boundarySeen = true;
    return true;
}

bool TMjpegParser::Headers()
{
    while (true) {
        const qsizetype nl = m_buf.indexOf('\n', m_pos);
        if (nl < 0) {
            if (m_buf.size() - m_partStart <= MaxHeaderSize)
                return false;
            DropPart();
            return true;
        }
        const qsizetype lineStart = m_pos;
        const QByteArrayView line = Trimmed(QByteArrayView(m_buf).sliced(lineStart, nl - lineStart));
        m_pos = nl + 1;
        if (line.isEmpty() || line.startsWith("\xFF\xD8")) {
            // End of the header block; a few cameras leave out the empty line and start the picture at once.
            m_bodyStart = line.isEmpty() ? m_pos : lineStart;
            m_pos = m_bodyStart;
            m_scan = m_bodyStart;
            m_state = m_contentLength >= 0 ? TState::Body : TState::BodyScan;
            return true;
        }
        if (IsBoundaryLine(line)) {
            // An empty part: start over with the next one.
            m_partStart = m_pos;
            m_contentLength = -1;
            continue;
        }
        if (m_pos - m_partStart > MaxHeaderSize) {
            DropPart();
            return true;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && EqualsNoCase(Trimmed(line.first(colon)), "content-length")) {
            bool ok = false;
            const qlonglong value = Trimmed(line.sliced(colon + 1)).toLongLong(&ok);
            m_contentLength = ok && value >= 0 ? value : -1;
        }
    }
}

bool TMjpegParser::Body(const TPartHandler &onPart)
{
    if (m_contentLength > MaxPartSize) {
        m_pos = m_bodyStart;
        DropPart();
        return true;
    }
    // A boundary line inside the announced length means the length was wrong: the part ends there.
    const qsizetype hit = FindDelimiter(std::max(m_scan, m_bodyStart), m_bodyStart - 1);
    if (hit >= 0 && LineStartOf(hit) < m_bodyStart + m_contentLength)
        return EndBodyAt(hit, onPart);
    if (m_buf.size() - m_bodyStart < m_contentLength) {
        m_scan = std::max(m_bodyStart, m_buf.size() - m_boundary.size() + 1);
        return false;
    }
    if (m_contentLength > 0)
        onPart(QByteArrayView(m_buf).sliced(m_bodyStart, m_contentLength));
    m_pos = m_bodyStart + m_contentLength;
    m_state = TState::SeekBoundary;
    return true;
}

// The line feed in front of the dashes of the boundary token at `hit`.
qsizetype TMjpegParser::LineStartOf(qsizetype hit) const
{
    qsizetype k = hit - 1;
    while (m_buf.at(k) == '-')
        --k;
    return k;
}

// The body ends at the line feed (and carriage return) before the boundary line at `hit`.
bool TMjpegParser::EndBodyAt(qsizetype hit, const TPartHandler &onPart)
{
    qsizetype end = LineStartOf(hit);
    if (end > m_bodyStart && m_buf.at(end - 1) == '\r')
        --end;
    if (end > m_bodyStart)
        onPart(QByteArrayView(m_buf).sliced(m_bodyStart, end - m_bodyStart));
    m_pos = hit + m_boundary.size();
    m_state = TState::BoundaryLine;
    return true;
}

bool TMjpegParser::BodyScan(const TPartHandler &onPart)
{
    // The line feed that ended the header block lies just before the body, so a body may also be empty.
    const qsizetype hit = FindDelimiter(std::max(m_scan, m_bodyStart), m_bodyStart - 1);
    if (hit < 0) {
        if (m_buf.size() - m_bodyStart > MaxPartSize) {
            m_pos = m_buf.size() - (m_boundary.size() + 8);
            DropPart();
            return true;
        }
        m_scan = std::max(m_bodyStart, m_buf.size() - m_boundary.size() + 1);
        return false;
    }
    return EndBodyAt(hit, onPart);
}

void TMjpegParser::DropPart()
{
    ++m_dropped;
    m_contentLength = -1;
    m_state = TState::SeekBoundary;
}

void TMjpegParser::Compact()
{
    qsizetype cut = m_pos;
    if (m_state == TState::Headers)
        cut = m_partStart;
    else if (m_state == TState::Body || m_state == TState::BodyScan)
        cut = m_bodyStart - 1;
    if (cut <= 0)
        return;
    if (cut < m_buf.size() && cut < m_buf.size() / 2 && cut < 1024 * 1024)
        return;  // not worth moving the bytes yet
    m_buf.remove(0, cut);
    const auto shift = [cut](qsizetype &index) { index = std::max<qsizetype>(0, index - cut); };
    shift(m_pos);
    shift(m_scan);
    shift(m_partStart);
    shift(m_bodyStart);
    if (m_buf.capacity() > 2 * 1024 * 1024 && m_buf.size() < m_buf.capacity() / 8)
        m_buf.squeeze();
}
