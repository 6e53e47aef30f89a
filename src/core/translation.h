#pragma once
// The translation table (transl.dt beside the program) and Translate().
#include <QString>
#include <QStringList>

// Translates an English text into the interface language (GlobalSettings.Language); unknown texts come
// back unchanged.
QString Translate(const QString &text);
