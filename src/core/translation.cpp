#include "core/translation.h"

#include "core/main.h"
#include "core/services.h"

#include <QFile>
#include <QStringDecoder>

QString LanguageCode(int language) { return LanguageCodes.value(language); }

namespace {

QStringList SplitLines(const QString &text)
{
    // CR LF, CR and LF all end a line; a line break at the very end does not start another line.
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

} // namespace

TTranslationTable TTranslationTable::Parse(const QByteArray &content)
{
    QStringDecoder decoder(QStringDecoder::Utf8); // skips a byte-order mark
    const QStringList lines = SplitLines(decoder.decode(content));

    TTranslationTable table;
    bool ok = false;
    const int languages = lines.isEmpty() ? 0 : lines.first().trimmed().toInt(&ok);
    if (!ok || languages <= 0)
        return table;
    const qsizetype phrases = (lines.size() - 1) / languages;
    if (phrases == 0)
        return table;

    table.m_columns.resize(languages);
    for (int k = 0; k < languages; ++k) {
        QStringList &column = table.m_columns[k];
        column.reserve(phrases);
        for (qsizetype j = 0; j < phrases; ++j)
            column.append(lines.at(1 + k + j * languages));
    }
    const QStringList &keys = table.m_columns.first();
    for (qsizetype j = 0; j < phrases; ++j)
        if (!table.m_keys.contains(keys.at(j))) // the first occurrence of a key wins
            table.m_keys.insert(keys.at(j), int(j));
    return table;
}

QString TTranslationTable::Translate(const QString &text, int language) const
{
    if (language < 0 || language >= m_columns.size())
        return text;
    const auto found = m_keys.constFind(text);
    return found == m_keys.cend() ? text : m_columns.at(language).at(*found);
}

namespace {
TTranslationTable &Table() { return Services().Translations; }
}

const TTranslationTable &TranslationTable() { return Table(); }

void SetTranslationTable(TTranslationTable table) { Table() = std::move(table); }

void LoadTranslationTable(const QString &path)
{
    QFile file(path);
    SetTranslationTable(file.open(QIODevice::ReadOnly) ? TTranslationTable::Parse(file.readAll())
                                                       : TTranslationTable());
}

QString TranslationFilePath() { return DataFilesFolder() + QStringLiteral("/transl.dt"); }

QString Translate(const QString &text) { return Table().Translate(text, App().GlobalSettings.Language); }

QStringList LanguageList()
{
    QStringList names;
    for (int k = 0; k < Table().LanguageCount(); ++k)
        names.append(Table().Phrase(k, 0));
    return names;
}
