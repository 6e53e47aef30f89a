#include "core/camerafile.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "mainwindow/gridpanel.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

// cam.dat written item by item from the file layout, independently of the program's writer.
class TCamDatBuilder
{
public:
    TCamDatBuilder(int columns, int rows, int count)
    {
        Int(10);
        Int(columns);
        Int(rows);
        Int(count);
    }

    void Record(const TCamera &c, int column, int row)
    {
        recordAt.append(bytes.size());
        Text(c.CustomTitle), Text(c.ActualName), Int(c.Kind), Int(c.webcam_resolutionindex);
        Bool(c.ipcam_Authentication), Text(c.ipcam_Username), Text(c.ipcam_Password), Text(c.ipcam_Port);
        Text(c.ipcam_IP), Text(c.ipcam_URL), Text(c.ipcam_UniqueDeviceName);
        Bool(c.scheduler_daily), Bool(c.scheduler_dates);
        for (int day = 1; day <= 7; ++day)
            Double(const_cast<TCamera &>(c).SchedulerStart(day)), Double(const_cast<TCamera &>(c).SchedulerEnd(day));
        datesAt.append(bytes.size());
        Int(int(c.scheduler_AdditionalDates.size()));
        for (const TAdditionalDate &d : c.scheduler_AdditionalDates)
            Double(d.Date), Double(d.Start), Double(d.Finish);
        Int(c.detector_Sensitivity), Bool(c.recording_RecordVideo);
        Int(c.recording_ContinueVideoRecordingAfterLastMotion_sec), Bool(c.recording_TakeSnapshots);
        Int(c.recording_SnapshotQuality), Int(c.recording_TakeSnapshotsInterval_sec);
        Int(c.recording_DurationOfSnapshots_sec), Bool(c.alarm_PlayAudioAlarm), Int(c.alarm_SoundIndex);
        Int(c.alarm_DurationOfAlarm_sec), Int(c.alarm_Volume), Int(c.alarm_DelayBetweenSoundAlarms_min);
        Bool(c.notification_AttachSnapshotsToEmail), Bool(c.notification_SendToEmail);
        Bool(c.notification_SMTPAuthentication), Bool(c.notification_PROXYAuthentication);
        Text(c.notification_SMTPFrom), Text(c.notification_SMTPRecipient), Text(c.notification_SMTPHost);
        Text(c.notification_SMTPUsername), Text(c.notification_SMTPPassword), Text(c.notification_PROXYHost);
        Text(c.notification_PROXYUsername), Text(c.notification_PROXYPassword);
        Int(c.notification_SMTPPort), Int(c.notification_SMTPSecurity), Int(c.notification_PROXYType);
        Int(c.notification_PROXYPort), Bool(c.notification_SendSMS), Text(c.notification_SMSUsername);
        Text(c.notification_SMSAPIKey), Text(c.notification_SMSMobilePhoneNumber);
        Int(column), Int(row);
    }

    void Int(qint32 v) { Stream() << v; }
    void Bool(bool v) { Stream() << quint8(v ? 1 : 0); }
    void Double(double v) { Stream() << v; }
    void Text(const QString &v)
    {
        Int(qint32(v.size()));
        for (QChar unit : v)
            Stream() << quint16(unit.unicode());
    }

    QByteArray bytes;
    QList<qsizetype> recordAt; // where each record starts
    QList<qsizetype> datesAt;  // where each record's special date count lies

private:
    struct TAppending : QDataStream
    {
        explicit TAppending(QByteArray *bytes) : QDataStream(bytes, QIODevice::WriteOnly | QIODevice::Append)
        {
            setByteOrder(QDataStream::LittleEndian);
            setFloatingPointPrecision(QDataStream::DoublePrecision);
        }
    };
    TAppending Stream() { return TAppending(&bytes); }
};

// A camera whose stored fields all differ from their defaults and, per kind, from each other, so that
// two fields read in swapped order show up.
TCamera SampleCamera(int k)
{
    static const QString titles[] = {QStringLiteral("Вхід"), QStringLiteral("Küche"), QStringLiteral("客厅"),
                                     QStringLiteral("Garage 🚗")};
    int n = 100 * (k + 1);
    const auto text = [&](const char *name) { return QStringLiteral("%1-%2-ä").arg(QLatin1String(name)).arg(++n); };
    const auto flag = [&]() { return k == 0 || (++n * 7 / 3) % 2 == 1; };
    TCamera c;
    c.CustomTitle = titles[k];
    c.ActualName = text("Brand*Model");
    c.Kind = k % 2;
    c.webcam_resolutionindex = ++n;
    c.ipcam_Username = text("user");
    c.ipcam_Password = text("pass");
    c.ipcam_Port = c.Kind == 1 ? QStringLiteral("80") : QString::number(8000 + k);
    c.ipcam_IP = text("10.0.0.");
    c.ipcam_URL = text("video.cgi?user=[USERNAME]");
    c.ipcam_Authentication = flag();
    c.ipcam_UniqueDeviceName = text("uuid:");
    c.detector_Sensitivity = ++n;
    c.scheduler_daily = flag();
    c.scheduler_dates = flag();
    for (int day = 1; day <= 7; ++day) {
        c.SchedulerStart(day) = (day + k) / 24.0 + 1.0 / 1440;
        c.SchedulerEnd(day) = (day + k + 9) / 24.0 + 59.0 / 86400;
    }
    for (int i = 0; i < k; ++i) // the first camera has no special dates
        c.scheduler_AdditionalDates.append({dt::EncodeDate(2024, 2, 29 - i), 7.5 / 24 + i / 1440.0, 0.999988});
    c.recording_RecordVideo = flag();
    c.recording_ContinueVideoRecordingAfterLastMotion_sec = ++n;
    c.recording_TakeSnapshots = flag();
    c.recording_SnapshotQuality = ++n;
    c.recording_TakeSnapshotsInterval_sec = ++n;
    c.recording_DurationOfSnapshots_sec = ++n;
    c.alarm_PlayAudioAlarm = flag();
    c.alarm_SoundIndex = ++n;
    c.alarm_DurationOfAlarm_sec = ++n;
    c.alarm_DelayBetweenSoundAlarms_min = ++n;
    c.alarm_Volume = ++n;
    c.notification_SendToEmail = flag();
    c.notification_AttachSnapshotsToEmail = flag();
    c.notification_SMTPFrom = text("from@");
    c.notification_SMTPRecipient = text("to@");
    c.notification_SMTPHost = text("smtp.");
    c.notification_SMTPPort = ++n;
    c.notification_SMTPAuthentication = flag();
    c.notification_SMTPUsername = text("smtpuser");
    c.notification_SMTPPassword = text("smtppass");
    c.notification_SMTPSecurity = ++n;
    c.notification_PROXYHost = text("proxy.");
    c.notification_PROXYPort = ++n;
    c.notification_PROXYType = ++n;
    c.notification_PROXYAuthentication = flag();
    c.notification_PROXYUsername = text("proxyuser");
    c.notification_PROXYPassword = text("proxypass");
    c.notification_SendSMS = flag();
    c.notification_SMSUsername = text("smsuser");
    c.notification_SMSAPIKey = text("key");
    c.notification_SMSMobilePhoneNumber = text("+380");
    return c;
}

// The grid and camera bring-up as the main window provides them, kept in memory.
class TFakeHost : public TCameraListHost
{
public:
    int GridColumns() const override { return columns; }
    int GridRows() const override { return rows; }
    void RealignGrid(int cols, int rowCount) override
    {
        realigns.append({cols, rowCount});
        if (cols == 0 && rowCount == 0) {
            const auto grown = gridrules::GrownSize(columns, rows, int(App().Cameras.size()));
            columns = grown.Columns, rows = grown.Rows;
        } else {
            columns = cols, rows = rowCount, cells.clear();
        }
    }
    bool IsCellFree(int col, int row) const override
    {
        for (const auto &[camera, cell] : cells)
            if (cell == TGridCell{col, row})
                return false;
        return true;
    }
    bool FirstFreeCell(int &col, int &row) const override
    {
        std::vector<TGridCell> occupied;
        for (const auto &[camera, cell] : cells)
            occupied.push_back(cell);
        const TGridCell cell = gridrules::FirstFreeCell(columns, rows, occupied);
        col = cell.Column, row = cell.Row;
        return cell.IsValid();
    }
    void CreateCamera(TCamera &camera, int col, int row) override
    {
        created.append(&camera);
        if (col >= 0)
            cells[&camera] = {col, row};
    }
    bool CameraCell(const TCamera &camera, int &col, int &row) const override
    {
        const auto found = cells.find(&camera);
        if (found == cells.end())
            return false;
        col = found->second.Column, row = found->second.Row;
        return true;
    }
    TGridCell CellOf(int index) const { return cells.at(App().Cameras[index].get()); }

    int columns = 2, rows = 2;
    std::map<const TCamera *, TGridCell> cells;
    QList<QPair<int, int>> realigns;
    QList<TCamera *> created;
};

QStringList logLines;
void CaptureLog(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (QByteArray(context.category) == "ostrivo.log")
        logLines.append(message);
}

// The stored part of a camera, encoded by the test's own writer.
QByteArray StoredBytes(const TCamera &camera)
{
    TCamDatBuilder record(0, 0, 0);
    record.Record(camera, 0, 0);
    return record.bytes;
}

} // namespace

class TestCameraFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    bool m_errorsReachPrompts = false;

    void WriteFile(const QByteArray &bytes)
    {
        QFile file(CameraFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QByteArray ReadFile()
    {
        QFile file(CameraFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The failure is logged and, once error dialogs go through Prompts(), asked or shown as specified.
    void VerifyReported(const TScriptedPrompts &prompts, const QString &text, bool askRestart)
    {
        const QString full = text + CameraFilePath();
        QVERIFY2(std::any_of(logLines.begin(), logLines.end(),
                             [&](const QString &line) { return line.endsWith(QStringLiteral("ERROR: ") + full); }),
                 qPrintable(logLines.join('\n')));
        if (!m_errorsReachPrompts)
            return;
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].call, askRestart ? QStringLiteral("Ask") : QStringLiteral("Message"));
        QVERIFY(prompts.log[0].text.contains(full));
    }
    TCamDatBuilder FourCameraFile(int count)
    {
        TCamDatBuilder file(3, 2, count);
        const TGridCell cells[] = {{2, 1}, {0, 0}, {1, 1}, {2, 0}};
        for (int k = 0; k < 4; ++k)
            file.Record(SampleCamera(k), cells[k].Column, cells[k].Row);
        return file;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qInstallMessageHandler(CaptureLog);
        TScriptedPrompts probe;
        ReportError(QStringLiteral("probe"), false);
        m_errorsReachPrompts = !probe.log.isEmpty();
    }
    void init()
    {
        ResetApplicationState();
        App().DataFolder = m_dir.path();
        QFile::remove(CameraFilePath());
        logLines.clear();
    }

    void roundTripIsByteExact()
    {
        TScriptedPrompts prompts;
        TFakeHost host;
        QVERIFY(LoadCameras(host)); // no file: nothing happens
        QVERIFY(App().Cameras.empty() && host.realigns.isEmpty() && prompts.log.isEmpty());

        const QByteArray original = FourCameraFile(4).bytes;
        WriteFile(original);
        QVERIFY(LoadCameras(host));
        QCOMPARE(host.realigns, (QList<QPair<int, int>>{{3, 2}}));
        QCOMPARE(App().Cameras.size(), size_t(4));
        QCOMPARE(host.created.size(), 4);
        const TGridCell cells[] = {{2, 1}, {0, 0}, {1, 1}, {2, 0}};
        for (int k = 0; k < 4; ++k) {
            const TCamera &loaded = *App().Cameras[k];
            QCOMPARE(host.created[k], App().Cameras[k].get());
            QCOMPARE(StoredBytes(loaded), StoredBytes(SampleCamera(k)));
            QCOMPARE(host.CellOf(k), cells[k]);
        }
        // Fields whose stored order differs from their declaration order.
        const TCamera &c = *App().Cameras[3];
        QCOMPARE(c.CustomTitle, QStringLiteral("Garage 🚗"));
        QCOMPARE(c.alarm_Volume, SampleCamera(3).alarm_Volume);
        QCOMPARE(c.notification_PROXYType, SampleCamera(3).notification_PROXYType);
        QCOMPARE(c.scheduler_AdditionalDates.size(), 3);
        QCOMPARE(c.scheduler_AdditionalDates[2].Date, dt::EncodeDate(2024, 2, 27));
        QVERIFY(!c.IsScheduledNow && !c.detector_MotionWasDetected);

        QVERIFY(SaveCameras(host));
        QCOMPARE(ReadFile(), original);
        QVERIFY(prompts.log.isEmpty() && logLines.isEmpty());
    }

    void staleTailIsIgnored()
    {
        // A list of two cameras saved over a longer one: the old third and fourth records remain behind.
        TScriptedPrompts prompts;
        TFakeHost host;
        WriteFile(FourCameraFile(2).bytes);
        QVERIFY(LoadCameras(host));
        QCOMPARE(App().Cameras.size(), size_t(2));
        QCOMPARE(App().Cameras[1]->CustomTitle, QStringLiteral("Küche"));
        QVERIFY(prompts.log.isEmpty());
    }

    void damagedFileKeepsCompleteCameras_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("complete");
        const TCamDatBuilder file = FourCameraFile(4);
        const QByteArray four = file.bytes;
        QTest::newRow("cut in the third record") << four.left(file.recordAt[2] + 40) << 2;
        QTest::newRow("cut before the cell") << four.left(four.size() - 4) << 3;
        QTest::newRow("header only") << four.left(10) << 0;

        QByteArray hugeCount = four;
        hugeCount.replace(12, 4, QByteArray::fromHex("ffffff7f"));
        QTest::newRow("camera count beyond the file") << hugeCount << 4;
        QByteArray hugeText = four.left(16);
        hugeText.append(QByteArray::fromHex("ffffff7f"));
        QTest::newRow("text count beyond the file") << hugeText << 0;
        QByteArray negativeText = four.left(16);
        negativeText.append(QByteArray::fromHex("feffffff"));
        QTest::newRow("negative text count") << negativeText << 0;
        QTest::newRow("special date count beyond the file")
            << QByteArray(four).replace(file.datesAt[2], 4, QByteArray::fromHex("ffffff7f")) << 2;
        QTest::newRow("grid of no columns") << QByteArray(four).replace(4, 4, QByteArray(4, 0)) << 0;
        QTest::newRow("grid beyond the limit") << QByteArray(four).replace(8, 4, QByteArray::fromHex("e8030000")) << 0;
    }
    void damagedFileKeepsCompleteCameras()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, complete);
        TScriptedPrompts prompts;
        TFakeHost host;
        WriteFile(bytes);
        QVERIFY(!LoadCameras(host));
        VerifyReported(prompts, QStringLiteral("Could not load settings. Please check the possibility to read from file "),
                       true);
        QCOMPARE(int(App().Cameras.size()), complete);
        QCOMPARE(host.created.size(), complete);
        for (int k = 0; k < complete; ++k)
            QCOMPARE(App().Cameras[k]->CustomTitle, SampleCamera(k).CustomTitle);
    }

    void storedCellsThatCannotBeUsedGoToFreeCells()
    {
        // 2 x 2 with five cameras: one without a cell, one outside the grid, one on a taken cell, and one
        // more than the grid holds, which grows the grid instead of being lost.
        TCamDatBuilder file(2, 2, 5);
        const TGridCell stored[] = {{1, 1}, {-1, -1}, {7, 0}, {1, 1}, {0, 0}};
        for (int k = 0; k < 5; ++k)
            file.Record(SampleCamera(k % 4), stored[k].Column, stored[k].Row);
        WriteFile(file.bytes);
        TScriptedPrompts prompts;
        TFakeHost host;
        QVERIFY(LoadCameras(host));
        QCOMPARE(host.realigns, (QList<QPair<int, int>>{{2, 2}, {0, 0}}));
        QCOMPARE(host.columns, 3);
        QCOMPARE(host.rows, 2);
        const TGridCell placed[] = {{1, 1}, {0, 0}, {1, 0}, {0, 1}, {2, 0}};
        for (int k = 0; k < 5; ++k)
            QCOMPARE(host.CellOf(k), placed[k]);
        QVERIFY(prompts.log.isEmpty());
    }

    void saveWritesCellsAndReportsFailure()
    {
        TFakeHost host;
        App().Cameras.push_back(std::make_unique<TCamera>(SampleCamera(0)));
        QVERIFY(SaveCameras(host));
        // A camera without a view is stored with the cell -1, -1.
        QCOMPARE(ReadFile().right(8), QByteArray::fromHex("ffffffffffffffff"));

        // A data folder that cannot hold files (it is a file itself).
        TScriptedPrompts prompts;
        App().DataFolder = CameraFilePath();
        QVERIFY(!SaveCameras(host));
        VerifyReported(prompts, QStringLiteral("Could not save settings. Please check the possibility to write to file "),
                       false);
    }
};

QTEST_GUILESS_MAIN(TestCameraFile)
#include "tst_camerafile.moc"
