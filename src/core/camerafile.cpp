#include "core/camerafile.h"

#include "core/binarystream.h"
#include "core/log.h"
#include "core/main.h"
#include "core/safefile.h"
#include "core/translation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

constexpr qint32 FormatNumber = 10;

struct TReadFailure
{
};

// The record's field visitors over the shared binary encodings. Every read is bounded by the bytes left,
// so no stored count can make the reader allocate more than the file holds; a failed read throws.
class TReader
{
public:
    explicit TReader(const QByteArray &data) : m_in(data) {}

    void Int(int &value) { Check(m_in.ReadInt32(value)); }
    void Bool(bool &value) { Check(m_in.ReadBool(value)); }
    void Double(double &value) { Check(m_in.ReadDouble(value)); }
    void Text(QString &value) { Check(m_in.ReadText(value)); }
    void Dates(QList<TAdditionalDate> &dates)
    {
        int count = 0;
        Int(count);
        if (count < 0 || count > m_in.Remaining() / 24)
            throw TReadFailure{};
        dates.resize(count);
        for (TAdditionalDate &date : dates) {
            Double(date.Date);
            Double(date.Start);
            Double(date.Finish);
        }
    }

private:
    static void Check(bool ok)
    {
        if (!ok)
            throw TReadFailure{};
    }

    TBinaryReader m_in;
};

class TWriter
{
public:
    void Int(const int &value) { m_out.WriteInt32(value); }
    void Bool(const bool &value) { m_out.WriteBool(value); }
    void Double(const double &value) { m_out.WriteDouble(value); }
    void Text(const QString &value) { m_out.WriteText(value); }
    void Dates(const QList<TAdditionalDate> &dates)
    {
        Int(int(dates.size()));
        for (const TAdditionalDate &date : dates) {
            Double(date.Date);
            Double(date.Start);
            Double(date.Finish);
        }
    }
    const QByteArray &Data() const { return m_out.Data(); }

private:
    TBinaryWriter m_out;
};

// Items 1 to 61 of a camera record in stored order, for reading (TReader, TCamera) and writing (TWriter,
// const TCamera). The order differs from the declaration order of TCamera in several places.
template <typename Io, typename Camera> void TransferRecord(Io &io, Camera &c)
{
    io.Text(c.CustomTitle);
    io.Text(c.ActualName);
    io.Int(c.Kind);
    io.Int(c.webcam_resolutionindex);
    io.Bool(c.ipcam_Authentication);
    io.Text(c.ipcam_Username);
    io.Text(c.ipcam_Password);
    io.Text(c.ipcam_Port);
    io.Text(c.ipcam_IP);
    io.Text(c.ipcam_URL);
    io.Text(c.ipcam_UniqueDeviceName);
    io.Bool(c.scheduler_daily);
    io.Bool(c.scheduler_dates);
    for (auto field : TCamera::SchedulerFields)
        io.Double(c.*field);
    io.Dates(c.scheduler_AdditionalDates);
    io.Int(c.detector_Sensitivity);
    io.Bool(c.recording_RecordVideo);
    io.Int(c.recording_ContinueVideoRecordingAfterLastMotion_sec);
    io.Bool(c.recording_TakeSnapshots);
    io.Int(c.recording_SnapshotQuality);
    io.Int(c.recording_TakeSnapshotsInterval_sec);
    io.Int(c.recording_DurationOfSnapshots_sec);
    io.Bool(c.alarm_PlayAudioAlarm);
    io.Int(c.alarm_SoundIndex);
    io.Int(c.alarm_DurationOfAlarm_sec);
    io.Int(c.alarm_Volume);
    io.Int(c.alarm_DelayBetweenSoundAlarms_min);
    io.Bool(c.notification_AttachSnapshotsToEmail);
    io.Bool(c.notification_SendToEmail);
    io.Bool(c.notification_SMTPAuthentication);
    io.Bool(c.notification_PROXYAuthentication);
    io.Text(c.notification_SMTPFrom);
    io.Text(c.notification_SMTPRecipient);
    io.Text(c.notification_SMTPHost);
    io.Text(c.notification_SMTPUsername);
    io.Text(c.notification_SMTPPassword);
    io.Text(c.notification_PROXYHost);
    io.Text(c.notification_PROXYUsername);
    io.Text(c.notification_PROXYPassword);
    io.Int(c.notification_SMTPPort);
    io.Int(c.notification_SMTPSecurity);
    io.Int(c.notification_PROXYType);
    io.Int(c.notification_PROXYPort);
    io.Bool(c.notification_SendSMS);
    io.Text(c.notification_SMSUsername);
    io.Text(c.notification_SMSAPIKey);
    io.Text(c.notification_SMSMobilePhoneNumber);
}

// A stored cell outside the grid, or one already taken, gives the first free cell; a full grid grows to
// hold all cameras rather than losing one. (-1, -1) is left when even the grown grid has no room.
void ChooseCell(TCameraListHost &host, int &col, int &row)
{
    if (col >= 0 && row >= 0 && col < host.GridColumns() && row < host.GridRows() && host.IsCellFree(col, row))
        return;
    if (host.FirstFreeCell(col, row))
        return;
    host.RealignGrid(0, 0);
    if (!host.FirstFreeCell(col, row))
        col = row = -1;
}

QString ShownPath() { return QDir::toNativeSeparators(CameraFilePath()); }

} // namespace

QString CameraFilePath() { return App().DataFolder + QStringLiteral("/cam.dat"); }

bool SaveCameras(const TCameraListHost &host)
{
    TWriter out;
    out.Int(FormatNumber);
    out.Int(host.GridColumns());
    out.Int(host.GridRows());
    out.Int(int(App().Cameras.size()));
    for (const auto &camera : App().Cameras) {
        TransferRecord(out, std::as_const(*camera));
        int col = -1, row = -1;
        if (!host.CameraCell(*camera, col, row))
            col = row = -1;
        out.Int(col);
        out.Int(row);
    }

    // Written beside the old file and renamed over it: a failure part-way leaves the old list intact.
    if (ReplaceFileContent(CameraFilePath(), out.Data()))
        return true;
    // At shutdown the window is already hidden: the line (which also reaches the standard error output) is
    // all that can be shown then.
    ReportErrorWhereShown(
        Translate(QStringLiteral("Could not save settings. Please check the possibility to write to file "))
        + ShownPath());
    return false;
}

bool LoadCameras(TCameraListHost &host)
{
    QFile file(CameraFilePath());
    if (!file.exists())
        return true;
    bool read = file.open(QIODevice::ReadOnly);
    const QByteArray content = read ? file.readAll() : QByteArray();
    read = read && file.error() == QFileDevice::NoError;
    file.close();
    if (read && DecodeCameraList(content, host))
        return true;
    // The next save would replace the unreadable file by the cameras read so far: keep it for the user.
    ReportError(LoadFailureText(CameraFilePath()), true);
    return false;
}

bool DecodeCameraList(const QByteArray &content, TCameraListHost &host)
{
    try {
        TReader in(content);
        int format = 0, columns = 0, rows = 0, count = 0;
        in.Int(format);
        in.Int(columns);
        in.Int(rows);
        if (columns < 1 || rows < 1 || columns > MaxGridSide || rows > MaxGridSide)
            throw TReadFailure{};
        host.RealignGrid(columns, rows);

        in.Int(count);
        if (count < 0)
            throw TReadFailure{};
        // Records are read one by one: a count larger than the file holds ends in a read failure at the
        // first record that runs out of bytes, with the complete ones kept.
        for (int i = 0; i < count; ++i) {
            auto camera = std::make_unique<TCamera>();
            TransferRecord(in, *camera);
            int col = -1, row = -1;
            in.Int(col);
            in.Int(row);
            App().Cameras.push_back(std::move(camera));
            ChooseCell(host, col, row);
            host.CreateCamera(*App().Cameras.back(), col, row);
        }
        return true;
    } catch (const TReadFailure &) {
        return false;
    }
}

bool TRowByRowCells::IsCellFree(int col, int row) const
{
    return qint64(row) * Columns + col >= qint64(App().Cameras.size());
}

bool TRowByRowCells::FirstFreeCell(int &col, int &row) const
{
    const int next = int(App().Cameras.size());
    if (Columns <= 0 || next >= Columns * Rows)
        return false;
    col = next % Columns;
    row = next / Columns;
    return true;
}

bool TRowByRowCells::CameraCell(const TCamera &camera, int &col, int &row) const
{
    if (Columns <= 0)
        return false;
    const auto &cameras = App().Cameras;
    for (size_t i = 0; i < cameras.size(); ++i)
        if (cameras[i].get() == &camera) {
            col = int(i) % Columns;
            row = int(i) / Columns;
            return true;
        }
    return false;
}
