// The UPnP device finder against the camera simulator announcing itself on loopback: the reports, their
// properties, the completion, a match, cancelling, restarting and a device that comes late.
#include "testpaths.h"
#include "upnptesthelpers.h"

#include <QProcess>

class TestUPnPFinder : public QObject
{
    Q_OBJECT

    static constexpr int Window_ms = 2500;

private slots:
    void initTestCase() { QCOMPARE(qgetenv("OSTRIVO_UPNP_INTERFACE"), QByteArray("lo")); }

    void everyDeviceOnceWithItsPropertiesThenOneCompletion()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn, {"--model-url", "http://127.0.0.1:8080/cam/"}));

        TNetworkDeviceFinder finder;
        finder.SetSearchWindow_ms(Window_ms);
        struct TSeen
        {
            QStringList Properties;
            bool Device = false;
        };
        QList<TSeen> seen;
        QList<TSearchResultState> states;
        finder.SetOnSearchResult([&](INetworkDeviceFinder *f, TSearchResultState state, bool &cancel) {
            states << state;
            QVERIFY(!cancel);
            if (state == srsNotFound || f->UniqueDeviceName() != udn)
                return;
            seen << TSeen{{f->FriendlyName(), f->DeviceType(), f->UniqueDeviceName(), f->Description(),
                           f->PresentationURL(), f->ManufacturerName(), f->ManufacturerURL(), f->ModelName(),
                           f->ModelNumber(), f->ModelURL(), f->UPC(), f->SerialNumber()},
                          f->DeviceIntf() != nullptr};
        });
        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        QVERIFY(finder.ErrMsg().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(states.contains(srsNotFound), Window_ms + 3000);
        // Nothing more about this device and no second completion while the search keeps listening.
        QTest::qWait(1500);
        QCOMPARE(states.count(srsNotFound), 1);
        QCOMPARE(states.last(), srsNotFound);
        QVERIFY(!states.contains(srsMatchingItem));
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen[0].Device);
        const QString host = QStringLiteral("127.0.0.1:%1").arg(camsim.Port());
        QCOMPARE(seen[0].Properties,
                 QStringList({"Ostrivo Camera Simulator on " + host, "urn:schemas-upnp-org:device:Basic:1", udn,
                              "Simulated network camera: MJPEG stream and JPEG snapshots",
                              "http://" + host + "/video.mjpg", "Ostrivo", "http://" + host + "/",
                              "Camera Simulator", OSTRIVO_VERSION, "http://127.0.0.1:8080/cam/", "000000000000",
                              QStringLiteral("CAMSIM-%1").arg(camsim.Port())}));
        // The completion report leaves only the friendly name of the last device.
        QVERIFY(finder.UniqueDeviceName().isEmpty() && finder.ModelURL().isEmpty());
        QVERIFY(finder.DeviceIntf() == nullptr);
        QVERIFY(finder.IsSearching());
    }

    void aMatchIsReportedWithItsAddressAndEndsTheSearch()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        TNetworkDeviceFinder finder;
        finder.SetSearchWindow_ms(Window_ms);
        TReportRecorder recorder(finder);
        QVERIFY(finder.StartSearchAsync(ndfwUniqueDeviceName, udn));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Count(srsMatchingItem, udn), 1, Window_ms + 3000);
        QCOMPARE(finder.IpAddress(), QStringLiteral("127.0.0.1:%1").arg(camsim.Port()));
        QVERIFY(!finder.IsSearching());
        const size_t reports = recorder.Reports.size();
        QTest::qWait(Window_ms + 500);
        QCOMPARE(recorder.Reports.size(), reports); // no completion after a match
    }

    void cancelledAndRestartedSearchesReportNothingMore()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        TNetworkDeviceFinder finder;
        finder.SetSearchWindow_ms(Window_ms);
        TReportRecorder recorder(finder);

        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        finder.CancelSearchAsync();
        QVERIFY(!finder.IsSearching());
        QTest::qWait(Window_ms + 500);
        QVERIFY(recorder.Reports.empty());

        // A restart: the first search's device report and completion never come, the second's come once.
        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        QTest::qWait(Window_ms / 2);
        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Count(srsNotFound), 1, Window_ms + 3000);
        QTest::qWait(Window_ms);
        QCOMPARE(recorder.Count(srsNotFound), 1);
        QCOMPARE(recorder.CountDevice(udn), 2); // once before the restart, once after
        QCOMPARE(recorder.Reports.back().State, srsNotFound);
    }

    void aHandlerThatCancelsOrRestartsFromInsideAReport()
    {
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        TNetworkDeviceFinder finder;
        finder.SetSearchWindow_ms(Window_ms);
        TReportRecorder cancelling(finder, true);
        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        QTRY_VERIFY_WITH_TIMEOUT(!cancelling.Reports.empty(), Window_ms + 3000);
        QVERIFY(!finder.IsSearching());
        QTest::qWait(Window_ms);
        QCOMPARE(cancelling.Reports.size(), size_t(1));

        // Restarting from inside a device report keeps the new search running; it reports on its own.
        int restarts = 0;
        QList<TSearchResultState> states;
        finder.SetOnSearchResult([&](INetworkDeviceFinder *f, TSearchResultState state, bool &cancel) {
            states << state;
            if (state == srsNotMatchingItem && restarts++ == 0) {
                QVERIFY(f->StartSearchAsync(ndfwFriendlyName, QString()));
                cancel = true; // meant for the old search only
            }
        });
        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        QTRY_VERIFY_WITH_TIMEOUT(states.contains(srsNotFound), 2 * Window_ms + 3000);
        QVERIFY(finder.IsSearching());
        QCOMPARE(states.count(srsNotFound), 1);
    }

    void aDeviceThatComesAfterTheCompletionIsReported()
    {
        TNetworkDeviceFinder finder;
        finder.SetSearchWindow_ms(1000);
        TReportRecorder recorder(finder);
        QVERIFY2(finder.StartSearchAsync(ndfwFriendlyName, QString()), qPrintable(finder.ErrMsg()));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Count(srsNotFound), 1, 4000);
        TCamSim camsim;
        const QString udn = FreshUniqueDeviceName();
        QVERIFY(StartUPnPCamSim(camsim, udn));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Count(srsNotMatchingItem, udn), 1, 5000);
        QCOMPARE(recorder.Count(srsNotFound), 1);
        for (const TReport &report : recorder.Reports)
            if (report.UniqueDeviceName == udn)
                QVERIFY(report.HadDevice);
    }

    void theSimulatorAnnouncesOnlyOnTheInterfaceOfItsAddress()
    {
        QProcess camsim;
        camsim.start(BuiltFile(QStringLiteral("ostrivo-camsim")), {"--port", "0", "--bind", "0.0.0.0", "--upnp"});
        QVERIFY(camsim.waitForFinished(5000));
        QCOMPARE(camsim.exitCode(), 2);
        QVERIFY(camsim.readAllStandardError().contains("one interface"));

        const QString udn = FreshUniqueDeviceName();
        QProcess onLoopback;
        onLoopback.start(BuiltFile(QStringLiteral("ostrivo-camsim")), {"--port", "0", "--upnp", "--udn", udn});
        QByteArray output;
        QDeadlineTimer deadline(5000);
        while (!output.contains("listening") && !deadline.hasExpired() && onLoopback.state() != QProcess::NotRunning)
            if (onLoopback.waitForReadyRead(100))
                output += onLoopback.readAllStandardOutput();
        onLoopback.kill();
        onLoopback.waitForFinished(3000);
        QVERIFY2(output.contains("announcing " + udn.toUtf8() + " on lo\n"), output.constData());
    }
};

QTEST_MAIN(TestUPnPFinder)
#include "tst_upnpfinder.moc"
