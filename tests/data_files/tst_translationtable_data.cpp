// The translation table shipped beside the program (data/transl.dt): its layout, the quality of every
// phrase, and that every literal the program passes to Translate() is one of its keys.
#include <QDirIterator>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

#include "datafiles.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList kLanguageNames = {QStringLiteral("English"), QStringLiteral("Русский"),
                                    QStringLiteral("Español"), QStringLiteral("Français"),
                                    QStringLiteral("Deutsch")};

// The table as the program reads it: line 1 is the language count N, then one group of N lines per
// phrase; an incomplete last group is ignored.
struct TTable {
    int N = 0;
    QList<QStringList> Phrases; // Phrases[j][k]: phrase j in language k
    int LineCount = 0;
    bool ValidUtf8 = true;

    const QStringList *Find(const QString &key) const
    {
        for (const QStringList &phrase : Phrases)
            if (phrase[0] == key)
                return &phrase;
        return nullptr;
    }
};

TTable LoadTable(const QByteArray &bytes)
{
    TTable table;
    QByteArray content = bytes;
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(content);
    table.ValidUtf8 = !decoder.hasError();
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line break that ends the last line opens no new line
    table.LineCount = int(lines.size());
    bool ok = false;
    table.N = lines.isEmpty() ? 0 : lines[0].trimmed().toInt(&ok);
    if (!ok || table.N <= 0)
        return table;
    const int phraseCount = (table.LineCount - 1) / table.N;
    for (int j = 0; j < phraseCount; ++j)
        table.Phrases.append(lines.mid(1 + j * table.N, table.N));
    return table;
}

// --- Finding the literals passed to Translate() in C++ sources -----------------------------------

struct TTranslateCall {
    QString Where; // file:line
    QString Text;
};

bool IsIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

class TSourceScanner {
public:
    TSourceScanner(const QString &source, const QString &fileName) : s(source), file(fileName) {}

    QList<TTranslateCall> Calls()
    {
        QList<TTranslateCall> calls;
        qsizetype i = 0;
        while (i < s.size()) {
            const QChar c = s[i];
            if (s.mid(i, 2) == u"//") {
                i = SkipTo(i, u"\n");
            } else if (s.mid(i, 2) == u"/*") {
                i = SkipTo(i + 2, u"*/");
            } else if (c == u'"') {
                QString ignored;
                i = ReadString(i, QString(), ignored);
            } else if (c == u'\'' && !(i > 0 && IsIdentChar(s[i - 1]))) {
                i = SkipCharLiteral(i);
            } else if (IsIdentChar(c) && !(i > 0 && IsIdentChar(s[i - 1]))) {
                qsizetype end = i;
                while (end < s.size() && IsIdentChar(s[end]))
                    ++end;
                const QString word = s.mid(i, end - i);
                if (end < s.size() && s[end] == u'"' && IsStringPrefix(word)) {
                    QString ignored;
                    i = ReadString(end, word, ignored);
                    continue;
                }
                if (word == u"Translate") {
                    QString text;
                    if (ReadLiteralCall(end, text))
                        calls.append({file + u':' + QString::number(LineAt(i)), text});
                }
                i = end;
            } else {
                ++i;
            }
        }
        return calls;
    }

private:
    const QString s;
    const QString file;

    static bool IsStringPrefix(const QString &w)
    {
        static const QStringList prefixes = {u"u8"_s, u"u"_s,  u"U"_s,   u"L"_s,  u"R"_s,
                                             u"u8R"_s, u"uR"_s, u"UR"_s, u"LR"_s};
        return prefixes.contains(w);
    }

    int LineAt(qsizetype pos) const { return int(QStringView(s).left(pos).count(u'\n')) + 1; }

    qsizetype SkipTo(qsizetype from, QStringView end) const
    {
        const qsizetype at = s.indexOf(end, from);
        return at < 0 ? s.size() : at + end.size();
    }

    qsizetype SkipSpace(qsizetype i) const
    {
        while (i < s.size() && s[i].isSpace())
            ++i;
        return i;
    }

    qsizetype SkipCharLiteral(qsizetype i) const
    {
        for (++i; i < s.size() && s[i] != u'\'' && s[i] != u'\n'; ++i)
            if (s[i] == u'\\')
                ++i;
        return i + 1;
    }

    // Reads the string literal whose opening quote is at i; returns the position after it (and after
    // a user-defined suffix such as _s). A raw literal is taken as written; escapes are decoded.
    qsizetype ReadString(qsizetype i, const QString &prefix, QString &text) const
    {
        text.clear();
        if (prefix.endsWith(u'R')) {
            const qsizetype open = s.indexOf(u'(', i + 1);
            if (open < 0)
                return s.size();
            const QString closing = u')' + s.mid(i + 1, open - i - 1) + u'"';
            const qsizetype end = s.indexOf(closing, open + 1);
            if (end < 0)
                return s.size();
            text = s.mid(open + 1, end - open - 1);
            i = end + closing.size();
        } else {
            for (++i; i < s.size() && s[i] != u'"' && s[i] != u'\n';) {
                if (s[i] != u'\\') {
                    text += s[i++];
                    continue;
                }
                i = ReadEscape(i + 1, text);
            }
            ++i;
        }
        while (i < s.size() && IsIdentChar(s[i]))
            ++i;
        return i;
    }

    qsizetype ReadEscape(qsizetype i, QString &text) const
    {
        if (i >= s.size())
            return i;
        static const QHash<QChar, QChar> simple = {
            {u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'}, {u'a', u'\a'}, {u'b', u'\b'}, {u'f', u'\f'},
            {u'v', u'\v'}, {u'\\', u'\\'}, {u'"', u'"'}, {u'\'', u'\''}, {u'?', u'?'}};
        const QChar c = s[i];
        if (simple.contains(c)) {
            text += simple.value(c);
            return i + 1;
        }
        auto number = [&](qsizetype from, int maxDigits, int base) {
            qsizetype end = from;
            while (end < s.size() && end - from < maxDigits) {
                bool ok = false;
                QString(s[end]).toUInt(&ok, base);
                if (!ok)
                    break;
                ++end;
            }
            const char32_t code = s.mid(from, end - from).toUInt(nullptr, base);
            text += QString::fromUcs4(&code, 1);
            return end;
        };
        if (c == u'x')
            return number(i + 1, 8, 16);
        if (c == u'u')
            return number(i + 1, 4, 16);
        if (c == u'U')
            return number(i + 1, 8, 16);
        if (c >= u'0' && c <= u'7')
            return number(i, 3, 8);
        text += c;
        return i + 1;
    }

    // One or more adjacent string literals ("a" "b"), each with an optional prefix and suffix.
    bool ReadLiterals(qsizetype &i, QString &text) const
    {
        bool any = false;
        text.clear();
        for (;;) {
            qsizetype at = SkipSpace(i);
            QString prefix;
            while (at < s.size() && IsIdentChar(s[at]))
                prefix += s[at++];
            if (at >= s.size() || s[at] != u'"' || (!prefix.isEmpty() && !IsStringPrefix(prefix)))
                return any;
            QString piece;
            i = ReadString(at, prefix, piece);
            text += piece;
            any = true;
        }
    }

    // After the word Translate: "(", a literal (bare or wrapped in QStringLiteral and the like), ")".
    bool ReadLiteralCall(qsizetype i, QString &text) const
    {
        i = SkipSpace(i);
        if (i >= s.size() || s[i] != u'(')
            return false;
        ++i;
        static const QRegularExpression wrapper(QStringLiteral(
            "\\G\\s*(QStringLiteral|QLatin1String|QLatin1StringView|QStringView|QString(::fromUtf8|::fromLatin1)?)\\s*\\("));
        const QRegularExpressionMatch m = wrapper.match(s, i);
        if (m.hasMatch()) {
            i = m.capturedEnd();
            if (!ReadLiterals(i, text))
                return false;
            i = SkipSpace(i);
            if (i >= s.size() || s[i] != u')')
                return false;
            ++i;
        } else if (!ReadLiterals(i, text)) {
            return false;
        }
        i = SkipSpace(i);
        return i < s.size() && s[i] == u')';
    }
};

QList<TTranslateCall> ScanSourceTree(const QString &root)
{
    QList<TTranslateCall> calls;
    QDirIterator it(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString relative = path.mid(root.size() + 1);
        calls += TSourceScanner(QString::fromUtf8(file.readAll()), relative).Calls();
    }
    return calls;
}

} // namespace

class TstTranslationTableData : public QObject {
    Q_OBJECT

    TTable table;

private slots:
    void initTestCase()
    {
        READ_DATA_FILE(bytes, QStringLiteral("transl.dt"));
        table = LoadTable(bytes);
    }

    void fileLayout()
    {
        QVERIFY2(table.ValidUtf8, "transl.dt is not valid UTF-8");
        QCOMPARE(table.N, 5);
        QVERIFY2((table.LineCount - 1) % table.N == 0,
                 "transl.dt ends with an incomplete group of lines, which the program ignores");
        QVERIFY(table.Phrases.size() > 200);
        QCOMPARE(table.Phrases[0], kLanguageNames);
    }

    // Every phrase must be usable in every language: one key once, no empty text, the same "%s"
    // placeholders, the same blanks at the ends (callers append titles and paths to the fixed text),
    // and the same ampersands (in captions "&&" shows one "&", a single "&" marks a shortcut).
    void everyPhraseIsComplete()
    {
        QStringList problems;
        QHash<QString, int> seen;
        for (int j = 1; j < table.Phrases.size(); ++j) {
            const QStringList &phrase = table.Phrases[j];
            const QString &key = phrase[0];
            if (seen.contains(key))
                problems << QStringLiteral("key \"%1\" occurs twice").arg(key);
            seen.insert(key, j);
            for (int k = 0; k < table.N; ++k) {
                const QString &text = phrase[k];
                const QString where = QStringLiteral("\"%1\" in %2").arg(key, kLanguageNames[k]);
                if (text.trimmed().isEmpty()) {
                    problems << where + u": empty"_s;
                    continue;
                }
                if (text.count(u"%s") != key.count(u"%s"))
                    problems << where + u": other number of %s"_s;
                if (text.count(u'&') != key.count(u'&'))
                    problems << where + u": other number of &"_s;
                if (text.endsWith(u' ') != key.endsWith(u' ') || text.startsWith(u' ') != key.startsWith(u' '))
                    problems << where + u": blanks at the ends differ from the key"_s;
                if (text.contains(u'\t'))
                    problems << where + u": contains a tab"_s;
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // The scan below would pass on a tree without any call it recognises; make sure it recognises
    // every form the program writes and nothing inside comments or other strings.
    void scannerFindsEveryCallForm()
    {
        const QString sample = QString::fromUtf8(
            "// Translate(\"in a line comment\")\n"
            "/* Translate(\"in a block comment\") */\n"
            "auto a = Translate(\"plain\");\n"
            "auto b = Translate( QStringLiteral(\"wrapped\") );\n"
            "auto c = Translate(u\"suffixed\"_s);\n"
            "auto d = Translate(\"say \\\"hi\\\"\\tnow\");\n"
            "auto e = Translate(\"two \" \"pieces\");\n"
            "auto f = Translate(variable);\n"
            "auto g = \"Translate(\\\"inside a string\\\")\";\n"
            "auto h = MyTranslate(\"not ours\");\n"
            "auto i = Translate(\"joined\") + \"tail\";\n"
            "auto j = Translate(R\"(raw \"text\")\");\n"
            "char k = '\"'; auto l = Translate(\"after a quote char\");\n");
        QStringList found;
        for (const TTranslateCall &call : TSourceScanner(sample, QStringLiteral("sample")).Calls())
            found << call.Text;
        const QStringList expected = {u"plain"_s,  u"wrapped"_s, u"suffixed"_s,
                                      u"say \"hi\"\tnow"_s, u"two pieces"_s, u"joined"_s,
                                      u"raw \"text\""_s, u"after a quote char"_s};
        QCOMPARE(found, expected);
    }

    void everyTranslatedLiteralIsAKey()
    {
        const QList<TTranslateCall> calls = ScanSourceTree(SourceTreeFile(QStringLiteral("src")));
        QStringList problems;
        for (const TTranslateCall &call : calls) {
            const QStringList *phrase = table.Find(call.Text);
            if (!phrase) {
                problems << QStringLiteral("%1: \"%2\" is not a key of transl.dt").arg(call.Where, call.Text);
                continue;
            }
            for (int k = 1; k < phrase->size(); ++k)
                if (phrase->at(k).isEmpty())
                    problems << QStringLiteral("%1: \"%2\" has no %3 translation")
                                    .arg(call.Where, call.Text, kLanguageNames[k]);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TstTranslationTableData)
#include "tst_translationtable_data.moc"
