// The message log, error reporting, alarm balloons and the fixed-format date helpers.
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/translation.h"
#include "core/windowsink.h"
#include "core/services.h"
#include "scriptedprompts.h"
#include "recordingwindowsink.h"
#include "manualclock.h"

#include <QtTest>

namespace {

struct TCapturedMessage
{
    QString category;
    QtMsgType type;
    QString text;
};
QList<TCapturedMessage> g_captured;
QtMessageHandler g_previousHandler = nullptr;

void CaptureMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    g_captured.append({QString::fromLatin1(context.category), type, text});
}

const TDateTime NewYearsEve = dt::EncodeDate(2024, 12, 31);

} // namespace

class TestMessageLog : public QObject
{
    Q_OBJECT

    std::optional<TServices> m_services;  // fresh per test function
private slots:
    void initTestCase()
    {
        // German regional settings: "." as date separator, so the fixed formats must not follow them.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void cleanup() { m_services.reset(); }
    void init()
    {
        m_services.emplace();
        g_captured.clear();
    }

    void logLineCarriesRegionalDateAndTime()
    {
        TRecordingWindowSink sink;
        TManualClock clock(NewYearsEve + dt::EncodeTime(14, 30, 5));
        g_previousHandler = qInstallMessageHandler(CaptureMessage);
        AddLogLine("Camera added");
        qInstallMessageHandler(g_previousHandler);
        clock.Set(NewYearsEve);
        AddLogLine("Midnight");

        QCOMPARE(sink.lines, QStringList({"31.12.24 14:30:05 - Camera added", "31.12.24 - Midnight"}));
        QCOMPARE(g_captured.size(), 1);
        QCOMPARE(g_captured[0].category, QStringLiteral("ostrivo.log"));
        QCOMPARE(g_captured[0].type, QtInfoMsg);
        QCOMPARE(g_captured[0].text, sink.lines[0]);
    }

    void logLineFromAnotherThreadArrivesOnTheUiThread()
    {
        TRecordingWindowSink sink;
        QThread *worker = QThread::create([] { AddLogLine("from the worker"); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QVERIFY(sink.lines.isEmpty()); // not appended from the worker itself
        QTRY_COMPARE(sink.lines.size(), 1);
        QVERIFY(sink.lines[0].endsWith(" - from the worker"));
    }

    void reportErrorWithoutRestartQuestion()
    {
        TRecordingWindowSink sink;
        TScriptedPrompts prompts;
        SetTranslationTable(TTranslationTable::Parse("2\nEnglish\nDeutsch\nERROR: \nFEHLER: \n"));
        App().GlobalSettings.Language = 1;
        ReportError("Disk full", false);
        QCOMPARE(sink.lines.size(), 1);
        QVERIFY(sink.lines[0].endsWith(" - FEHLER: Disk full"));
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].call, QStringLiteral("Message"));
        QCOMPARE(prompts.log[0].kind, TPromptKind::Error);
        QCOMPARE(prompts.log[0].text, QStringLiteral("Disk full"));
        QCOMPARE(sink.closeRequests, 0);
    }

    void reportErrorRestartQuestionClosesOnYes()
    {
        TRecordingWindowSink sink;
        TScriptedPrompts prompts;
        prompts.answers = {false, true};
        ReportError("X", true);
        QCOMPARE(sink.closeRequests, 0);
        ReportError("X", true);
        QCOMPARE(sink.closeRequests, 1);
        QCOMPARE(prompts.log[0].call, QStringLiteral("Ask"));
        QCOMPARE(prompts.log[0].text.split('\n'),
                 QStringList({"The following error occured:", "X", "We recommend to restart the program. Do it now?"}));
        QVERIFY(sink.lines[0].endsWith(" - ERROR: X"));
    }

    void alarmBalloonOnlyWhenHiddenInTheTray()
    {
        TRecordingWindowSink sink;
        sink.showing = true;
        sink.trayVisible = true;
        ShowAlartOnBaloonIfNeeded("Motion on Door");
        sink.showing = false;
        sink.trayVisible = false;
        ShowAlartOnBaloonIfNeeded("Motion on Door");
        QVERIFY(sink.balloons.isEmpty());
        sink.trayVisible = true;
        ShowAlartOnBaloonIfNeeded("Motion on Door");
        QCOMPARE(sink.balloons.size(), 1);
        QCOMPARE(sink.balloons[0].title, QStringLiteral("ALARM!!!"));
        QCOMPARE(sink.balloons[0].text, QStringLiteral("Motion on Door"));
        QCOMPARE(sink.balloons[0].icon, TBalloonIcon::Warning);
        QCOMPARE(sink.balloons[0].timeoutMs, 10000);
    }

    void fixedFormatsIgnoreRegionalSeparators()
    {
        QCOMPARE(DateToStrFmt(NewYearsEve + 0.75), QStringLiteral("12/31/24"));
        QCOMPARE(DateToStrFmt(dt::EncodeDate(2009, 3, 7)), QStringLiteral("03/07/09"));
        QCOMPARE(TimeToStrFmt(dt::EncodeTime(14, 30, 0)), QStringLiteral("14:30:00"));
        QCOMPARE(TimeToStrFmt(NewYearsEve + dt::EncodeTime(7, 5, 9)), QStringLiteral("07:05:09"));
        QCOMPARE(StrFmtToDate("12/31/24"), NewYearsEve);
        QCOMPARE(StrFmtToDate("12.31.24 extra"), NewYearsEve); // characters 3 and 6 are not looked at
        QCOMPARE(StrFmtToDateTime("12/31/24 23:59:58"), NewYearsEve + dt::EncodeTime(23, 59, 58));
        QCOMPARE(StrFmtToDate(DateToStrFmt(dt::EncodeDate(2031, 2, 28))), dt::EncodeDate(2031, 2, 28));
    }

    void impossibleDatesRaise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("30 February") << "02/30/24";
        QTest::newRow("month 13") << "13/01/24";
        QTest::newRow("too short") << "2/3/24";
        QTest::newRow("not numeric") << "ab/01/24";
        QTest::newRow("sign") << "+1/01/24";
    }
    void impossibleDatesRaise()
    {
        QFETCH(QString, text);
        QVERIFY_THROWS_EXCEPTION(EConvertError, StrFmtToDate(text));
    }

    void unreadableDateTimeGivesNow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no date") << "not a date at all";
        QTest::newRow("date only") << "12/31/24";
        QTest::newRow("hour 25") << "12/31/24 25:00:00";
        QTest::newRow("30 February") << "02/30/24 10:00:00";
    }
    void unreadableDateTimeGivesNow()
    {
        QFETCH(QString, text);
        TManualClock clock(NewYearsEve + dt::EncodeTime(8, 0, 0));
        QCOMPARE(StrFmtToDateTime(text), clock.Value());
    }
};

QTEST_GUILESS_MAIN(TestMessageLog)
#include "tst_messagelog.moc"
