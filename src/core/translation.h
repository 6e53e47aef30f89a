#pragma once
// The translation table (transl.dt beside the program) and Translate().
//
// transl.dt is UTF-8 text (a byte-order mark is skipped) split into lines at CR LF, CR or LF. Line 1 is N,
// the number of languages; then come groups of N lines, one group per phrase, holding that phrase in
// languages 0 .. N-1. Language 0 is English, whose texts are the keys. Group 0 holds the languages' names.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Codes of the first five language indices.
inline const QStringList LanguageCodes = {QStringLiteral("en"), QStringLiteral("ru"), QStringLiteral("es"),
                                          QStringLiteral("fr"), QStringLiteral("de")};
// The code of a language index; empty for an index without one.
QString LanguageCode(int language);

class TTranslationTable
{
public:
    // Builds the table from the file's content. An unusable file (line 1 not a positive whole number, or not
    // one complete group of phrases) gives an empty table, as if there were no file.
    static TTranslationTable Parse(const QByteArray &content);

    bool IsEmpty() const { return m_columns.isEmpty(); }
    int LanguageCount() const { return int(m_columns.size()); }
    int PhraseCount() const { return m_columns.isEmpty() ? 0 : int(m_columns.first().size()); }
    // Phrase j of language k.
    QString Phrase(int language, int phrase) const { return m_columns.value(language).value(phrase); }
    // The translation of an English key into a language; the text itself when it is no key or the language
    // is not in the table. The first occurrence of a key wins.
    QString Translate(const QString &text, int language) const;

private:
    QList<QStringList> m_columns; // one per language, PhraseCount entries each
    QHash<QString, int> m_keys;   // English text -> its first phrase number
};

// The table in use. Loading replaces it; a missing or unreadable file leaves it empty.
const TTranslationTable &TranslationTable();
void SetTranslationTable(TTranslationTable table);
void LoadTranslationTable(const QString &path);
// transl.dt in the program's folder.
QString TranslationFilePath();

// Translates an English text into the interface language (GlobalSettings.Language); unknown texts come
// back unchanged.
QString Translate(const QString &text);

// The languages' names for the settings dialog, by index; empty without a table.
QStringList LanguageList();
