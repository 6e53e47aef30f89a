#include "resultbuffer.h"

#include <algorithm>

namespace smsengine {

QString ArgumentText(const smsengine_char *text) { return text ? QString::fromUtf16(text) : QString(); }

void WriteResult(smsengine_char *buffer, int32_t size, const QString &text)
{
    if (!buffer || size < 1)
        return;
    qsizetype length = std::min<qsizetype>(text.size(), qsizetype(size) - 1);
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    std::copy_n(reinterpret_cast<const char16_t *>(text.utf16()), length, buffer);
    buffer[length] = u'\0';
}

} // namespace smsengine
