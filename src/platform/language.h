#pragma once
// The user's language as the system and the user's own configuration tell it.
#include <QLocale>
#include <QString>

namespace platform {

// The optional per-user "Language" value, written outside the program (Linux: key Language in
// ~/.config/<appName>/<appName>.conf; Windows: HKCU\Software\<appName>, value Language). Empty when absent.
QString UserLanguageValue(const QString &appName);

// The system's user-interface language as a primary language identifier, the low 8 bits of a Windows
// language identifier (0x07 German, 0x09 English, 0x0A Spanish, 0x0C French, 0x19 Russian, ...).
int SystemUILanguageId();

// The primary language identifier of a Qt language; 0 (neutral) for languages without one here.
int PrimaryLanguageId(QLocale::Language language);

} // namespace platform
