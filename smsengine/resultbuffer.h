#pragma once
// The caller's UTF-16 texts and result buffer.
#include "smsengine.h"

#include <QString>

namespace smsengine {

// A NUL-terminated argument; a null pointer is an empty text.
QString ArgumentText(const smsengine_char *text);

// Writes as much of text as fits into a buffer of size code units, followed by a NUL; never past the end,
// never half of a surrogate pair. Nothing when there is no buffer or size is below 1.
void WriteResult(smsengine_char *buffer, int32_t size, const QString &text);

} // namespace smsengine
