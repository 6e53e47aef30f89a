// The operating-system layer and the start-up pieces built on it: folders, the user's language, the
// command-line switch, termination signals.
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/startup.h"
#include "platform/folders.h"
#include "platform/language.h"
#include "platform/termination.h"
#include "sandboxhome.h"
#include "scriptedprompts.h"

#include <QtTest>

#include <csignal>

namespace {

void WriteUserLanguage(const QString &value)
{
    QSettings conf(SandboxHome() + "/.config/Ostrivo/Ostrivo.conf", QSettings::IniFormat);
    if (value.isNull())
        conf.remove("Language");
    else
        conf.setValue("Language", value);
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
    std::optional<TServices> m_services;
private slots:
    void init() { m_services.emplace(); }
    void cleanup() { m_services.reset(); }

    // The data files are found beside the program (build tree) and in <prefix>/share/ostrivo (installed);
    // beside the program wins when both exist.
    void programFolderOfBuildTreeAndInstall()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.path() + "/bin", share = prefix.path() + "/share/ostrivo";
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(share));
        QCOMPARE(platform::DataFilesFolderFor(bin), bin); // no data anywhere: the program's folder
        QFile installed(share + "/transl.dt");
        QVERIFY(installed.open(QIODevice::WriteOnly));
        installed.close();
        QCOMPARE(platform::DataFilesFolderFor(bin), share);
        QFile beside(bin + "/transl.dt");
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QCOMPARE(platform::DataFilesFolderFor(bin), bin);
    }

    void appDataFolderFollowsXdgAndIsCreated()
    {
        const QString wanted = SandboxHome() + "/elsewhere/share";
        qputenv("XDG_DATA_HOME", wanted.toLocal8Bit());
        QCOMPARE(platform::AppDataFolder(), wanted);
        QVERIFY(QFileInfo(wanted).isDir());
        qputenv("XDG_DATA_HOME", (SandboxHome() + "/.local/share").toLocal8Bit());
    }

    void applicationFoldersAreCreatedOneLevelDeep()
    {
        TScriptedPrompts prompts;
        QTemporaryDir base;
        QVERIFY(SetUpApplicationFolders(base.path()));
        QCOMPARE(App().DataFolder, base.path() + "/Ostrivo");
        QCOMPARE(App().DefaultOutputFolder, base.path() + "/Ostrivo/snapshots_video");
        QVERIFY(QFileInfo(App().DefaultOutputFolder).isDir());
        QVERIFY(SetUpApplicationFolders(base.path())); // existing folders are fine

        // A missing parent is not created: the data folder cannot be made.
        const QString missing = base.path() + "/no/such/parent";
        QVERIFY(!SetUpApplicationFolders(missing));
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].call, QStringLiteral("Message"));
        QCOMPARE(prompts.log[0].text, "Could not create application directory:\n" + missing + "/Ostrivo");
        QVERIFY(!QFileInfo::exists(missing));
    }

    void languageIdentifiersMapToIndices_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("index");
        QTest::newRow("German") << 0x07 << 4;
        QTest::newRow("Spanish") << 0x0A << 2;
        QTest::newRow("French") << 0x0C << 3;
        QTest::newRow("Russian") << 0x19 << 1;
        QTest::newRow("Italian") << 0x10 << 0;
        QTest::newRow("de-AT, whole identifier") << 0x0C07 << 4;
    }
    void languageIdentifiersMapToIndices()
    {
        QFETCH(int, id);
        QFETCH(int, index);
        QCOMPARE(LanguageIndexFromId(id), index);
    }

    void userLanguageValueOverridesTheSystem()
    {
        WriteUserLanguage(QString());
        QCOMPARE(platform::UserLanguageValue("Ostrivo"), QString());
        QCOMPARE(StartupLanguageIndex(), DefaultLanguageIndex());
        WriteUserLanguage("fr");
        QCOMPARE(platform::UserLanguageValue("Ostrivo"), QStringLiteral("fr"));
        QCOMPARE(StartupLanguageIndex(), 3);
        WriteUserLanguage("FR"); // not one of the codes
        QCOMPARE(StartupLanguageIndex(), DefaultLanguageIndex());
        WriteUserLanguage(QString());
    }

    void hideSwitch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("hide");
        QTest::newRow("/hide") << QStringList{"ostrivo", "/hide"} << true;
        QTest::newRow("-HIDE") << QStringList{"ostrivo", "-HIDE"} << true;
        QTest::newRow("later argument") << QStringList{"ostrivo", "-x", "/Hide"} << true;
        QTest::newRow("bare word") << QStringList{"ostrivo", "hide"} << false;
        QTest::newRow("double dash") << QStringList{"ostrivo", "--hide"} << false;
        QTest::newRow("longer") << QStringList{"ostrivo", "/hidden"} << false;
        QTest::newRow("program name") << QStringList{"/hide"} << false;
    }
    void hideSwitch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, hide);
        QCOMPARE(HasHideSwitch(arguments), hide);
    }

    void terminationSignalsReachTheEventLoop()
    {
        int calls = 0;
        platform::InstallTerminationHandler([&calls] { ++calls; });
        std::raise(SIGTERM);
        QCOMPARE(calls, 0); // never inside the signal handler
        QTRY_COMPARE(calls, 1);
        std::raise(SIGINT);
        QTRY_COMPARE(calls, 2);
        platform::InstallTerminationHandler({});
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
