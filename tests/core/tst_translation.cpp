// The translation table: file layout, line breaks, lookups, and files that cannot be used.
#include "core/main.h"
#include "core/translation.h"
#include "core/services.h"

#include <QtTest>

namespace {

// Line 1 the language count, then per phrase one line per language. Phrase 0 holds the languages' names;
// phrase j > 0 of language k reads "L<k> P<j>", and its English key "Phrase <j>".
QStringList TableLines(int languages, int phrases)
{
    QStringList lines{QString::number(languages)};
    for (int j = 0; j < phrases; ++j)
        for (int k = 0; k < languages; ++k) {
            if (j == 0)
                lines << QStringLiteral("Language %1").arg(k);
            else if (k == 0)
                lines << QStringLiteral("Phrase %1").arg(j);
            else
                lines << QStringLiteral("L%1 P%2").arg(k).arg(j);
        }
    return lines;
}

QByteArray Utf8(const QStringList &lines, const QString &lineBreak = QStringLiteral("\n"))
{
    return lines.join(lineBreak).toUtf8();
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT
    std::optional<TServices> m_services;
private slots:
    void init() { m_services.emplace(); }
    void cleanup() { m_services.reset(); }

    void fiveLanguagesOfFortyPhrases()
    {
        // 5 + 5 x 40 lines after line 1, plus an incomplete group that is ignored.
        QStringList lines = TableLines(5, 41);
        lines << "Dangling 1" << "Dangling 2";
        const TTranslationTable table = TTranslationTable::Parse(Utf8(lines));
        QCOMPARE(table.LanguageCount(), 5);
        QCOMPARE(table.PhraseCount(), 41);
        QCOMPARE(table.Phrase(0, 0), lines[1]);              // line 2: name of language 0
        QCOMPARE(table.Phrase(0, 1), lines[6]);              // line 7: English key of phrase 1
        QCOMPARE(table.Phrase(3, 40), QStringLiteral("L3 P40"));
        QCOMPARE(table.Translate("Phrase 40", 3), QStringLiteral("L3 P40"));
        QCOMPARE(table.Translate("Dangling 1", 0), QStringLiteral("Dangling 1"));

        SetTranslationTable(table);
        QCOMPARE(LanguageList(), QStringList({"Language 0", "Language 1", "Language 2", "Language 3", "Language 4"}));
        App().GlobalSettings.Language = 4;
        QCOMPARE(Translate("Phrase 7"), QStringLiteral("L4 P7"));
    }

    void lineBreaksAndByteOrderMark_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QStringList lines = TableLines(3, 4);
        QTest::newRow("LF") << Utf8(lines);
        QTest::newRow("CRLF, final break") << Utf8(lines, "\r\n") + "\r\n";
        QTest::newRow("CR") << Utf8(lines, "\r");
        QTest::newRow("BOM, mixed") << QByteArray("\xEF\xBB\xBF") + Utf8(lines.mid(0, 5), "\r\n") + "\n"
                                           + Utf8(lines.mid(5), "\r") + "\n";
    }
    void lineBreaksAndByteOrderMark()
    {
        QFETCH(QByteArray, content);
        const TTranslationTable table = TTranslationTable::Parse(content);
        QCOMPARE(table.LanguageCount(), 3);
        QCOMPARE(table.PhraseCount(), 4);
        QCOMPARE(table.Phrase(0, 0), QStringLiteral("Language 0"));
        for (int j = 1; j < 4; ++j)
            QCOMPARE(table.Translate(QStringLiteral("Phrase %1").arg(j), 2), QStringLiteral("L2 P%1").arg(j));
    }

    void lookupRules()
    {
        SetTranslationTable(TTranslationTable::Parse(Utf8({"2", "English", "Deutsch",       //
                                                           "Exit", "Beenden",               //
                                                           "ERROR: ", "FEHLER: ",           //
                                                           "Exit", "Verlassen",             // a second "Exit"
                                                           "", "(leer)",                    // an empty key
                                                           "Überwachung", "Überwachung ✓"})));
        App().GlobalSettings.Language = 1;
        QCOMPARE(Translate("Exit"), QStringLiteral("Beenden"));          // the first occurrence wins
        QCOMPARE(Translate("ERROR: "), QStringLiteral("FEHLER: "));      // trailing space is part of the key
        QCOMPARE(Translate("ERROR:"), QStringLiteral("ERROR:"));         // not a key: unchanged
        QCOMPARE(Translate("exit"), QStringLiteral("exit"));             // case matters
        QCOMPARE(Translate(""), QStringLiteral("(leer)"));
        QCOMPARE(Translate("Überwachung"), QStringLiteral("Überwachung ✓"));

        App().GlobalSettings.Language = 0;
        QCOMPARE(Translate("Exit"), QStringLiteral("Exit"));
        App().GlobalSettings.Language = 2; // not in the file: English
        QCOMPARE(Translate("Exit"), QStringLiteral("Exit"));
        App().GlobalSettings.Language = -1;
        QCOMPARE(Translate("Exit"), QStringLiteral("Exit"));
    }

    void unusableFilesGiveEnglish_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a number") << QByteArray("two\nEnglish\nDeutsch\nExit\nBeenden\n");
        QTest::newRow("zero") << QByteArray("0\nEnglish\n");
        QTest::newRow("negative") << QByteArray("-2\nEnglish\nDeutsch\n");
        QTest::newRow("no complete group") << QByteArray("3\nEnglish\nDeutsch\n");
        QTest::newRow("huge count") << QByteArray("2147483647\nEnglish\n");
    }
    void unusableFilesGiveEnglish()
    {
        QFETCH(QByteArray, content);
        SetTranslationTable(TTranslationTable::Parse(content));
        App().GlobalSettings.Language = 1;
        QVERIFY(TranslationTable().IsEmpty());
        QCOMPARE(Translate("Exit"), QStringLiteral("Exit"));
        QVERIFY(LanguageList().isEmpty());
    }

    void loadsFromTheProgramFolder()
    {
        QTemporaryDir folder;
        Services().ProgramFolder = folder.path();
        QCOMPARE(TranslationFilePath(), folder.path() + "/transl.dt");

        LoadTranslationTable(TranslationFilePath()); // no file: empty table
        QVERIFY(TranslationTable().IsEmpty());

        QFile file(TranslationFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Utf8({"2", "English", "Русский", "Messages", "Сообщения"}, "\r\n"));
        file.close();
        LoadTranslationTable(TranslationFilePath());
        App().GlobalSettings.Language = 1;
        QCOMPARE(Translate("Messages"), QStringLiteral("Сообщения"));
        QCOMPARE(LanguageList(), QStringList({"English", "Русский"}));

        QFile::remove(TranslationFilePath()); // loading again without the file empties the table
        LoadTranslationTable(TranslationFilePath());
        QVERIFY(TranslationTable().IsEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTranslation)
#include "tst_translation.moc"
