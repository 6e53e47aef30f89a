#include "core/translation.h"

// Placeholder; the table proper comes with the foundation work.
QString Translate(const QString &text) { return text; }
