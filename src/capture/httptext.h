#pragma once
// Small text helpers for what cameras send over HTTP: status and header lines, multipart part headers.
#include <QByteArrayView>

namespace httptext {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Without blanks (spaces, tabs, line ends) at either end.
inline QByteArrayView Trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && IsBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && IsBlank(v.back()))
        v.chop(1);
    return v;
}

// Header names, parameter names and tokens compare without regard to case.
inline bool EqualsNoCase(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && qstrnicmp(a.data(), a.size(), b.data(), b.size()) == 0;
}

} // namespace httptext
