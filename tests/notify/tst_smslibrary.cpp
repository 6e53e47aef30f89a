// The program's binding to libsmsengine.so: loaded from the program's folder by whichever thread calls
// first, the buffer handling around the calls, and a missing or broken library.
#include "gatewaytestbase.h"
#include "notify/smslibrary.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

class TestSMSLibrary : public TGatewayTestBase
{
    Q_OBJECT

private slots:
    // First in this process: the threads race to load the library.
    void callsFromManyThreadsAtOnce()
    {
        constexpr int Threads = 8;
        std::vector<TSMSLibraryResult> results(Threads);
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < Threads; ++i)
            threads.emplace_back(QThread::create([&results, i] {
                results[size_t(i)] = CallSendSMS("u", "k", QString::number(1000 + i), QString("parallel %1").arg(i));
            }));
        for (auto &thread : threads)
            thread->start();
        for (auto &thread : threads)
            QVERIFY(thread->wait(30000));
        for (const TSMSLibraryResult &result : results)
            QVERIFY2(result.Value == 1, qPrintable(result.Text));
        QStringList sent = SentTexts();
        sent.sort();
        QCOMPARE(sent.size(), Threads);
        QCOMPARE(sent.first(), QStringLiteral("1000: parallel 0"));
        QCOMPARE(sent.last(), QStringLiteral("1007: parallel 7"));
    }

    void resultsComeBackTrimmed()
    {
        m_gateway.QueueInbound(QJsonArray{QJsonObject{{"text", "  \tON Door"}, {"sender", "4917"}}});
        const TSMSLibraryResult fetched = CallGetSMS("u", "k", 500);
        QCOMPARE(fetched.Value, 1);
        QVERIFY2(fetched.Text.startsWith("ON Door{#}4917{#}"), qPrintable(fetched.Text));
        QVERIFY(fetched.Text.endsWith("{#}"));
        QCOMPARE(CallGetSMS("u", "k", 500).Text, QString());

        const TSMSLibraryResult refused = CallCheckSMSAccount("u", "wrong");
        QCOMPARE(refused.Value, 0);
        QCOMPARE(refused.Text, QStringLiteral("Invalid username or API key"));
        QCOMPARE(CallCheckSMSAccount("u", "k").Value, 1);
        QCOMPARE(CallSendSMS("u", "k", "1", "x", 0).Value, 0);
    }

    void aMissingLibraryFailsEveryCallNamingTheFile()
    {
        QTemporaryDir folder;
        platform::SetProgramFolder(folder.path());
        for (const TSMSLibraryResult &result :
             {CallSendSMS("u", "k", "1", "x"), CallGetSMS("u", "k", 500), CallCheckSMSAccount("u", "k")}) {
            QCOMPARE(result.Value, 0);
            QVERIFY2(result.Text.contains("libsmsengine.so") && result.Text.contains(folder.path()),
                     qPrintable(result.Text));
        }
        // Not a library at all.
        QFile broken(folder.filePath("libsmsengine.so"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a shared library") > 0);
        broken.close();
        const TSMSLibraryResult result = CallSendSMS("u", "k", "1", "x");
        QCOMPARE(result.Value, 0);
        QVERIFY2(result.Text.contains("libsmsengine.so"), qPrintable(result.Text));
        QVERIFY(m_gateway.Sent().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSMSLibrary)
#include "tst_smslibrary.moc"
