#include "core/camerafile.h"
#include "manualclock.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "mainwindow/gridpanel.h"
#include "scriptedprompts.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

// The items of a camera record in stored order: t text, i integer, b Boolean, d time, D the special dates
// (count, then date, start and finish of each). The cell (two integers) follows.
constexpr char RecordItems[] = "ttiibtttttt" "bb" "dddddddddddddd" "D" "ibibiii" "biiii" "bbbb" "tttttttt" "iiii" "bttt";

// cam.dat content written item by item from the file layout, independently of the program's writer.
struct TCamDat
{
    QByteArray bytes;
    QList<qsizetype> recordAt, datesAt; // where each record, and its special date count, starts

    TCamDat() = default;
    TCamDat(int columns, int rows, int count) { Int(10), Int(columns), Int(rows), Int(count); }

    // Camera k: every field differs from its default and, within its kind, from all other fields, so that
    // a value read into the wrong field shows. Camera k has k special dates; the titles are not ASCII.
    void Record(int k, TGridCell cell)
    {
        static const QString titles[] = {QStringLiteral("Вхід"), QStringLiteral("Küche"), QStringLiteral("客厅"),
                                         QStringLiteral("Garage 🚗")};
        recordAt.append(bytes.size());
        int item = 0;
        for (const char kind : QByteArrayView(RecordItems)) {
            const int v = 100 * (k + 1) + ++item;
            switch (kind) {
            case 't': Text(item == 1 ? titles[k % 4] : QStringLiteral("%1 ü%2").arg(v).arg(QChar(0x4E00 + v))); break;
            case 'i': Int(v); break;
            case 'b': Bool(k == 0 || (v / 3) % 2); break;
            case 'd': Double(v / 1440.0); break;
            case 'D':
                datesAt.append(bytes.size());
                Int(k % 4);
                for (int j = 0; j < k % 4; ++j)
                    Double(dt::EncodeDate(2024, 2, 29 - j)), Double(0.3125 + j / 1440.0), Double(0.999988);
            }
        }
        Int(cell.Column), Int(cell.Row);
    }

    // The stored fields of a camera in the order of the file layout.
    void Record(const TCamera &c)
    {
        Text(c.CustomTitle), Text(c.ActualName), Int(c.Kind), Int(c.webcam_resolutionindex);
        Bool(c.ipcam_Authentication), Text(c.ipcam_Username), Text(c.ipcam_Password), Text(c.ipcam_Port);
        Text(c.ipcam_IP), Text(c.ipcam_URL), Text(c.ipcam_UniqueDeviceName), Bool(c.scheduler_daily);
        Bool(c.scheduler_dates);
        for (int day = 1; day <= 7; ++day)
            Double(const_cast<TCamera &>(c).SchedulerStart(day)), Double(const_cast<TCamera &>(c).SchedulerEnd(day));
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
        Text(c.notification_PROXYUsername), Text(c.notification_PROXYPassword), Int(c.notification_SMTPPort);
        Int(c.notification_SMTPSecurity), Int(c.notification_PROXYType), Int(c.notification_PROXYPort);
        Bool(c.notification_SendSMS), Text(c.notification_SMSUsername), Text(c.notification_SMSAPIKey);
        Text(c.notification_SMSMobilePhoneNumber);
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

private:
    struct TAppending : QDataStream
    {
        explicit TAppending(QByteArray *to) : QDataStream(to, QIODevice::WriteOnly | QIODevice::Append)
        {
            setByteOrder(QDataStream::LittleEndian);
            setFloatingPointPrecision(QDataStream::DoublePrecision);
        }
    };
    TAppending Stream() { return TAppending(&bytes); }
};

// The grid and the camera bring-up of the main window, kept in memory.
struct TFakeHost : TCameraListHost
{
    int columns = 2, rows = 2;
    std::map<const TCamera *, TGridCell> cells;
    QList<QPair<int, int>> realigns;
    QList<TCamera *> created;

    int GridColumns() const override { return columns; }
    int GridRows() const override { return rows; }
    void RealignGrid(int cols, int rowCount) override
    {
        realigns.append({cols, rowCount});
        const auto size = cols || rowCount ? gridrules::TGridLayout{cols, rowCount}
                                           : gridrules::GrownSize(columns, rows, int(App().Cameras.size()));
        columns = size.Columns, rows = size.Rows;
    }
    std::vector<TGridCell> Occupied() const
    {
        std::vector<TGridCell> occupied;
        for (const auto &entry : cells)
            occupied.push_back(entry.second);
        return occupied;
    }
    bool IsCellFree(int col, int row) const override
    {
        return !std::ranges::count(Occupied(), TGridCell{col, row});
    }
    bool FirstFreeCell(int &col, int &row) const override
    {
        const TGridCell cell = gridrules::FirstFreeCell(columns, rows, Occupied());
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
        if (!cells.contains(&camera))
            return false;
        col = cells.at(&camera).Column, row = cells.at(&camera).Row;
        return true;
    }
    TGridCell CellOf(int index) const { return cells.at(App().Cameras[index].get()); }
};

QStringList logLines;
void CaptureLog(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (QByteArray(context.category) == "ostrivo.log")
        logLines.append(message);
}

const TGridCell FourCells[] = {{2, 1}, {0, 0}, {1, 1}, {2, 0}};

TCamDat FourCameras(int declared)
{
    TCamDat file(3, 2, declared);
    for (int k = 0; k < 4; ++k)
        file.Record(k, FourCells[k]);
    return file;
}

} // namespace

class TestCameraFile : public QObject
{
    Q_OBJECT

    std::optional<TServices> m_services;  // fresh per test function

    QTemporaryDir m_dir;
    bool m_errorsReachPrompts = false;

    void WriteFile(const QByteArray &bytes)
    {
        QFile file(CameraFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    }
    QByteArray ReadFile()
    {
        QFile file(CameraFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The failure is logged and, where error dialogs go through Prompts(), asked or shown.
    void VerifyReported(const TScriptedPrompts &prompts, const QString &text, bool askRestart)
    {
        const QString full = text + CameraFilePath();
        QVERIFY2(std::ranges::any_of(logLines, [&](const QString &line) { return line.contains("ERROR: " + full); }),
                 qPrintable(logLines.join('\n')));
        if (m_errorsReachPrompts) {
            QCOMPARE(prompts.log.size(), 1);
            QCOMPARE(prompts.log[0].call, askRestart ? QStringLiteral("Ask") : QStringLiteral("Message"));
            QVERIFY(prompts.log[0].text.contains(full));
        }
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
    void cleanup() { m_services.reset(); }
    void init()
    {
        m_services.emplace();
        App().DataFolder = m_dir.path();
        QFile::remove(CameraFilePath());
        logLines.clear();
    }

    void roundTripIsByteExact()
    {
        TScriptedPrompts prompts;
        TFakeHost host;
        QVERIFY(LoadCameras(host)); // no file: nothing happens
        QVERIFY(App().Cameras.empty() && host.realigns.isEmpty());

        const TCamDat file = FourCameras(4);
        WriteFile(file.bytes);
        QVERIFY(LoadCameras(host));
        QCOMPARE(host.realigns, (QList<QPair<int, int>>{{3, 2}}));
        QCOMPARE(App().Cameras.size(), size_t(4));
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(host.created[k], App().Cameras[k].get());
            TCamDat loaded;
            loaded.Record(*App().Cameras[k]);
            const qsizetype end = k < 3 ? file.recordAt[k + 1] : file.bytes.size();
            QCOMPARE(loaded.bytes, file.bytes.mid(file.recordAt[k], end - 8 - file.recordAt[k]));
            QCOMPARE(host.CellOf(k), FourCells[k]);
        }
        QCOMPARE(App().Cameras[3]->CustomTitle, QStringLiteral("Garage 🚗"));
        QCOMPARE(App().Cameras[3]->scheduler_AdditionalDates[2].Date, dt::EncodeDate(2024, 2, 27));

        QVERIFY(SaveCameras(host));
        QCOMPARE(ReadFile(), file.bytes);
        QVERIFY(prompts.log.isEmpty() && logLines.isEmpty());

        // A list of two saved over a longer one leaves the old records behind: they are not read.
        WriteFile(FourCameras(2).bytes);
        App() = TApplicationState();
        App().DataFolder = m_dir.path();
        QVERIFY(LoadCameras(host));
        QCOMPARE(App().Cameras.size(), size_t(2));
        QVERIFY(prompts.log.isEmpty());
    }

    void damagedFileKeepsCompleteCameras_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("complete");
        const TCamDat file = FourCameras(4);
        const QByteArray four = file.bytes;
        const auto patched = [&](qsizetype at, const char *hex) {
            return QByteArray(four).replace(at, 4, QByteArray::fromHex(hex));
        };
        QTest::newRow("cut in the third record") << four.left(file.recordAt[2] + 40) << 2;
        QTest::newRow("cut before the last cell") << four.left(four.size() - 4) << 3;
        QTest::newRow("cut in the header") << four.left(10) << 0;
        QTest::newRow("camera count beyond the file") << patched(12, "ffffff7f") << 4;
        QTest::newRow("text count beyond the file") << patched(file.recordAt[1], "ffffff7f") << 1;
        QTest::newRow("negative text count") << patched(file.recordAt[0], "feffffff") << 0;
        QTest::newRow("special date count beyond the file") << patched(file.datesAt[2], "ffffff7f") << 2;
        QTest::newRow("grid of no columns") << patched(4, "00000000") << 0;
        QTest::newRow("grid beyond the limit") << patched(8, "e8030000") << 0;
    }
    // A list written without a grid on screen (the simulator's demo list, the camera bench) stores the
    // cameras row by row and reads back into those cells.
    void rowByRowCellsReadBackInPlace()
    {
        for (int k = 0; k < 5; ++k)
            App().Cameras.push_back(std::make_unique<TCamera>());
        QVERIFY(SaveCameras(TRowByRowCells(3, 2)));
        App().Cameras.clear();
        TFakeHost host;
        QVERIFY(LoadCameras(host));
        QCOMPARE(host.realigns, (QList<QPair<int, int>>{{3, 2}}));
        const std::vector<TGridCell> expected{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}};
        for (int k = 0; k < 5; ++k)
            QCOMPARE(host.CellOf(k), expected[size_t(k)]);
    }

    void damagedFileKeepsCompleteCameras()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, complete);
        TScriptedPrompts prompts;
        TManualClock clock(dt::EncodeDate(2026, 1, 31) + dt::EncodeTime(23, 59, 58));
        TFakeHost host;
        WriteFile(bytes);
        QVERIFY(!LoadCameras(host));
        VerifyReported(prompts, "Could not load settings. Please check the possibility to read from file ", true);
        QCOMPARE(int(App().Cameras.size()), complete);
        QCOMPARE(host.created.size(), complete);
        if (complete)
            QCOMPARE(host.CellOf(complete - 1), FourCells[complete - 1]);

        // The next save writes only the cameras read so far; the unreadable file stays beside it, named in
        // the error text.
        const QString kept = CameraFilePath() + ".damaged-20260131-235958";
        QVERIFY2(logLines.last().endsWith(". The unreadable file is kept as " + kept), qPrintable(logLines.last()));
        QVERIFY(SaveCameras(host));
        QFile copy(kept);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), bytes);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), 2);
        QVERIFY(copy.remove());
    }

    void storedCellsThatCannotBeUsedGoToFreeCells()
    {
        // 2 x 2 with five cameras: one without a cell, one outside the grid, one on a taken cell, and one
        // more than the grid holds, which grows the grid rather than being lost.
        TCamDat file(2, 2, 5);
        const TGridCell stored[] = {{1, 1}, {-1, -1}, {7, 0}, {1, 1}, {0, 0}};
        for (int k = 0; k < 5; ++k)
            file.Record(k, stored[k]);
        WriteFile(file.bytes);
        TFakeHost host;
        QVERIFY(LoadCameras(host));
        QCOMPARE(host.realigns, (QList<QPair<int, int>>{{2, 2}, {0, 0}}));
        const TGridCell placed[] = {{1, 1}, {0, 0}, {1, 0}, {0, 1}, {2, 0}};
        for (int k = 0; k < 5; ++k)
            QCOMPARE(host.CellOf(k), placed[k]);
        QVERIFY(logLines.isEmpty());
    }

    void saveStoresMissingViewsAndReportsFailure()
    {
        TFakeHost host;
        App().Cameras.push_back(std::make_unique<TCamera>());
        QVERIFY(SaveCameras(host));
        QCOMPARE(ReadFile().right(8), QByteArray::fromHex("ffffffffffffffff")); // not in the grid: -1, -1

        TScriptedPrompts prompts;
        App().DataFolder = CameraFilePath(); // a file, which cannot hold files
        QVERIFY(!SaveCameras(host));
        VerifyReported(prompts, "Could not save settings. Please check the possibility to write to file ", false);
    }
};

QTEST_GUILESS_MAIN(TestCameraFile)
#include "tst_camerafile.moc"
