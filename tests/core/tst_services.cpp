// The process-wide state has one owner: a services object made by the program (or a test) becomes the
// current one and hands back to the one before it when it goes, taking all its state along.
#include "core/clock.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/timer.h"
#include "core/translation.h"
#include "core/windowsink.h"
#include "manualclock.h"
#include "platform/folders.h"
#include "recordingwindowsink.h"
#include "scriptedprompts.h"

#include <QtTest>

#include <optional>

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    void nestedServicesKeepTheirStateApartAndHandBack()
    {
        TServices outer;
        App().DataFolder = QStringLiteral("outer");
        RequestTermination();
        {
            TServices inner;
            QCOMPARE(&Services(), &inner);
            QVERIFY(App().DataFolder.isEmpty());   // a fresh record
            QVERIFY(!TerminationRequested());
            TScriptedPrompts prompts;
            TRecordingWindowSink sink;
            TManualClock clock(dt::EncodeDate(2024, 2, 29));
            QCOMPARE(Now(), dt::EncodeDate(2024, 2, 29));
            Prompts().Message(TPromptKind::Warning, QStringLiteral("t"), QStringLiteral("x"));
            QCOMPARE(prompts.log.size(), 1);
            QCOMPARE(MainWindowSink(), &sink);
            App().Cameras.push_back(std::make_unique<TCamera>());
        }
        QCOMPARE(&Services(), &outer);
        QCOMPARE(App().DataFolder, QStringLiteral("outer"));
        QVERIFY(App().Cameras.empty());
        QVERIFY(TerminationRequested());
        QCOMPARE(MainWindowSink(), nullptr);
        QVERIFY(Now() != dt::EncodeDate(2024, 2, 29));   // the system clock again
    }

    // A double that outlives the services it was installed into is not put back into the next ones.
    void doublesDoNotLeakIntoLaterServices()
    {
        std::optional<TServices> services;
        services.emplace();
        auto prompts = std::make_unique<TScriptedPrompts>();
        services.emplace();   // the first ones go, a fresh one comes
        auto next = std::make_unique<TScriptedPrompts>();
        prompts.reset();      // the old double goes after the new one was installed
        Prompts().OpenUrl(QStringLiteral("http://127.0.0.1/"));
        QCOMPARE(next->log.size(), 1);
        next.reset();
        services.reset();
    }

    void programFolderIsPerServices()
    {
        TServices services;
        QCOMPARE(ProgramFolder(), platform::ProgramFolder());
        services.ProgramFolder = QStringLiteral("/elsewhere");
        QCOMPARE(TranslationFilePath(), QStringLiteral("/elsewhere/transl.dt"));
        {
            TServices inner;
            QCOMPARE(ProgramFolder(), platform::ProgramFolder());
        }
        QCOMPARE(ProgramFolder(), QStringLiteral("/elsewhere"));
    }
};

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
