// set.dat: byte layout, tolerant and failing reads, saving, and the run-at-logon entry.
#include "core/binarystream.h"
#include "manualclock.h"
#include "core/main.h"
#include "core/clock.h"
#include "core/prompts.h"
#include "core/settingsfile.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "sandboxhome.h"
#include "core/services.h"
#include "scriptedprompts.h"

#include <QtTest>

namespace {

// Built by hand from the file table, one row per field.
QByteArray Fixture()
{
    return QByteArray::fromHex("0a000000"         // format number 10
                               "03000000"         // Language 3
                               "01"               // AutostartWithWindows
                               "00"               // HideToTrayOnAutostart
                               "01"               // MaximizeAppOnDetection
                               "00"               // ReconnectCameraIfDown
                               "01"               // AutoDeleteOldRecordings
                               "2c010000"         // ReconnectionInterval_sec 300
                               "0e000000"         // AutoDeleteOlderThen_Days 14
                               "00000000"         // OutputFolderForVideosAndSnapshots "" (byte 21)
                               "00"               // DateTimeOverlay
                               "01"               // CameraTitleOverlay
                               "70110100"         // DelayBetweenEmailsAndSMS_min 70000
                               "01"               // SMS_ControlEnabled
                               "04000000" "4a00f6007200" "6700"         // SMS_Username "Jörg"
                               "05000000" "3a043b044e044704ac20"        // SMS_APIKey "ключ€"
                               "03000000" "410055005300"                // "AUS"
                               "03000000" "45004900" "4e00"             // "EIN"
                               "06000000" "2104220410042204" "23042104" // "СТАТУС"
                               "02000000" "3dd800de");                  // "😀" (two code units)
}

TGlobalSettings FixtureSettings()
{
    TGlobalSettings s;
    s.Language = 3;
    s.AutostartWithWindows = true;
    s.HideToTrayOnAutostart = false;
    s.MaximizeAppOnDetection = true;
    s.ReconnectCameraIfDown = false;
    s.AutoDeleteOldRecordings = true;
    s.ReconnectionInterval_sec = 300;
    s.AutoDeleteOlderThen_Days = 14;
    s.OutputFolderForVideosAndSnapshots = QString();
    s.DateTimeOverlay = false;
    s.CameraTitleOverlay = true;
    s.DelayBetweenEmailsAndSMS_min = 70000;
    s.SMS_ControlEnabled = true;
    s.SMS_Username = QStringLiteral("Jörg");
    s.SMS_APIKey = QStringLiteral("ключ€");
    s.SMS_Command_DisableDetection = QStringLiteral("AUS");
    s.SMS_Command_EnableDetection = QStringLiteral("EIN");
    s.SMS_Command_CheckStatus = QStringLiteral("СТАТУС");
    s.SMS_Command_MakeSnapshot = QStringLiteral("😀");
    return s;
}

// Values no file holds, to see which fields a failed read left alone.
TGlobalSettings Sentinel()
{
    TGlobalSettings s;
    s.Language = 77;
    s.SMS_Username = s.SMS_APIKey = s.SMS_Command_DisableDetection = s.SMS_Command_MakeSnapshot =
        QStringLiteral("untouched");
    return s;
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

    std::optional<TServices> m_services;  // fresh per test function

    QTemporaryDir m_data;

private slots:
    void cleanup() { m_services.reset(); }
    void init()
    {
        m_services.emplace();
        QDir(m_data.path()).removeRecursively();
        QDir().mkpath(m_data.path());
        App().DataFolder = m_data.path();
        App().DefaultOutputFolder = m_data.path() + "/snapshots_video";
    }

    void saveWritesTheTableByteForByte()
    {
        TScriptedPrompts prompts;
        // An older, longer file is replaced whole.
        WriteFile(SettingsFilePath(), QByteArray(500, 'x'));
        App().GlobalSettings = FixtureSettings();
        QVERIFY(SaveSettings());
        QCOMPARE(ReadFile(SettingsFilePath()), Fixture());
        QCOMPARE(QDir(m_data.path()).entryList(QDir::Files), QStringList{"set.dat"}); // no temporary left
        QVERIFY(prompts.log.isEmpty());
    }

    void loadReadsTheTableAndIgnoresWhatFollows()
    {
        TScriptedPrompts prompts;
        QByteArray content = Fixture();
        content[0] = 42;                    // another format number is read the same way
        content[8] = char(0x7f);            // any non-zero byte is true
        content += QByteArray("\x05\x00stale tail of an older file", 28);
        WriteFile(SettingsFilePath(), content);
        App().GlobalSettings = Sentinel();
        QVERIFY(LoadSettings());
        QCOMPARE(App().GlobalSettings, FixtureSettings());
        QVERIFY(prompts.log.isEmpty());
    }

    void cutFileIsReportedAndKeepsWhatWasRead()
    {
        TScriptedPrompts prompts;
        prompts.answers = {false};
        TManualClock clock(dt::EncodeDate(2026, 12, 9) + dt::EncodeTime(10, 11, 12));
        const QByteArray full = Fixture();
        const qsizetype apiKeyText = full.indexOf(QByteArray::fromHex("3a04")); // inside SMS_APIKey
        const QByteArray cut = full.left(apiKeyText + 3);
        WriteFile(SettingsFilePath(), cut);
        App().GlobalSettings = Sentinel();

        QVERIFY(LoadSettings()); // the file was read; decoding it failed
        const TGlobalSettings &s = App().GlobalSettings;
        QCOMPARE(s.Language, 3);
        QCOMPARE(s.DelayBetweenEmailsAndSMS_min, 70000);
        QCOMPARE(s.SMS_Username, QStringLiteral("Jörg"));
        QCOMPARE(s.SMS_APIKey, QStringLiteral("untouched"));
        QCOMPARE(s.SMS_Command_MakeSnapshot, QStringLiteral("untouched"));

        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].call, QStringLiteral("Ask"));
        QCOMPARE(prompts.log[0].text,
                 "The following error occured:\nCould not load settings. Please check the possibility to read from file "
                     + SettingsFilePath() + ". The unreadable file is kept as " + SettingsFilePath()
                     + ".damaged-20261209-101112\nWe recommend to restart the program. Do it now?");

        // The unreadable file survives the next save beside the new one; a second failure in the same second
        // keeps a second copy rather than overwriting the first.
        QVERIFY(SaveSettings());
        QCOMPARE(ReadFile(SettingsFilePath() + ".damaged-20261209-101112"), cut);
        WriteFile(SettingsFilePath(), "\x0a");
        QVERIFY(LoadSettings());
        QCOMPARE(ReadFile(SettingsFilePath() + ".damaged-20261209-101112"), cut);
        QCOMPARE(ReadFile(SettingsFilePath() + ".damaged-20261209-101112-2"), QByteArray("\x0a"));
        QVERIFY(prompts.log[1].text.contains(".damaged-20261209-101112-2\n"));
    }

    void impossibleTextCountsFailWithoutAllocating_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::newRow("negative") << QByteArray::fromHex("ffffffff");
        QTest::newRow("largest") << QByteArray::fromHex("ffffff7f");
        QTest::newRow("one more than is left") << QByteArray::fromHex("02000000");
    }
    void impossibleTextCountsFailWithoutAllocating()
    {
        QFETCH(QByteArray, count);
        QByteArray content = Fixture().left(21) + count + QByteArray::fromHex("4100");
        TGlobalSettings s = Sentinel();
        s.OutputFolderForVideosAndSnapshots = QStringLiteral("kept");
        QVERIFY(!DecodeSettings(content, s));
        QCOMPARE(s.AutoDeleteOlderThen_Days, 14);
        QCOMPARE(s.OutputFolderForVideosAndSnapshots, QStringLiteral("kept"));

    }

    void readerStaysFailedAfterABadField()
    {
        TBinaryReader reader(QByteArray::fromHex("ffffffff" "07000000"));
        QString text = QStringLiteral("kept");
        qint32 next = -1;
        QVERIFY(!reader.ReadText(text));
        QVERIFY(!reader.ReadInt32(next));
        QVERIFY(reader.Failed());
        QCOMPARE(text, QStringLiteral("kept"));
        QCOMPARE(next, -1);
    }

    void missingFileGivesDefaultsWithoutMessage()
    {
        TScriptedPrompts prompts;
        App().DefaultLanguage = 2;
        QVERIFY(!LoadSettings());
        SetDefaultSettings();
        const TGlobalSettings &s = App().GlobalSettings;
        QCOMPARE(s.Language, 2);
        QCOMPARE(s.OutputFolderForVideosAndSnapshots, App().DefaultOutputFolder);
        QCOMPARE(QStringList({s.SMS_Command_DisableDetection, s.SMS_Command_EnableDetection,
                              s.SMS_Command_CheckStatus, s.SMS_Command_MakeSnapshot}),
                 QStringList({"OFF", "ON", "STATUS", "SHOT"}));
        QVERIFY(!s.AutostartWithWindows && s.HideToTrayOnAutostart && s.ReconnectCameraIfDown);
        QCOMPARE(s.ReconnectionInterval_sec, 30);
        QVERIFY(prompts.log.isEmpty());
    }

    void unwritableFileIsReportedWithoutRestartQuestion()
    {
        TScriptedPrompts prompts;
        WriteFile(m_data.path() + "/plainfile", "x");
        App().DataFolder = m_data.path() + "/plainfile"; // a folder that cannot exist
        App().GlobalSettings = FixtureSettings();
        QVERIFY(!SaveSettings());
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].call, QStringLiteral("Message"));
        QCOMPARE(prompts.log[0].text,
                 "Could not save settings. Please check the possibility to write to file " + SettingsFilePath());
        QCOMPARE(App().GlobalSettings, FixtureSettings());
    }

    void autostartEntryHoldsTheCommand()
    {
        TScriptedPrompts prompts;
        const QString entry = platform::RunAtLogonLocation(ApplicationTitle);
        QCOMPARE(entry, SandboxHome() + "/.config/autostart/Ostrivo.desktop");
        const auto execLine = [&] {
            const QStringList lines = QString::fromUtf8(ReadFile(entry)).split('\n');
            const QStringList exec = lines.filter(QRegularExpression("^Exec="));
            return exec.size() == 1 ? exec.first() : QString();
        };
        const QString program = platform::ProgramFilePath();

        SetAutostart(true, true);
        QCOMPARE(execLine(), "Exec=\"" + program + "\" /hide");
        SetAutostart(true, false);
        QCOMPARE(execLine(), "Exec=" + program);
        SetAutostart(false, true);
        QVERIFY(!QFile::exists(entry));
        SetAutostart(false, false); // removing a missing entry is no error
        QVERIFY(prompts.log.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
