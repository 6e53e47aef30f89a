#include "core/camerafile.h"

#include "core/log.h"
#include "core/main.h"
#include "core/translation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>
#include <memory>

namespace {

constexpr qint32 FormatNumber = 10;

// The little-endian encodings below are shared with set.dat: 4-byte signed integers, one-byte Booleans
// (any non-zero byte reads as true), 8-byte IEEE-754 doubles, and texts as a signed 32-bit count of UTF-16
// code units followed by the units.

struct TReadFailure
{
};

// Reads from a file image; every read is checked against the bytes left, so that no stored count can
// make it allocate more than the file holds.
class TReader
{
public:
    explicit TReader(const QByteArray &data) : m_data(data) {}

    void Int(int &value) { value = qFromLittleEndian<qint32>(Take(4)); }
    void Bool(bool &value) { value = *Take(1) != 0; }
    void Double(double &value)
    {
        const quint64 bits = qFromLittleEndian<quint64>(Take(8));
        std::memcpy(&value, &bits, sizeof value);
    }
    void Text(QString &value)
    {
        int count = 0;
        Int(count);
        if (count < 0 || count > Left() / 2)
            throw TReadFailure{};
        value.resize(count);
        qFromLittleEndian<char16_t>(Take(2 * qsizetype(count)), count, value.data());
    }
    void Dates(QList<TAdditionalDate> &dates)
    {
        int count = 0;
        Int(count);
        if (count < 0 || count > Left() / 24)
            throw TReadFailure{};
        dates.resize(count);
        for (TAdditionalDate &date : dates) {
            Double(date.Date);
            Double(date.Start);
            Double(date.Finish);
        }
    }

private:
    qsizetype Left() const { return m_data.size() - m_pos; }
    const char *Take(qsizetype size)
    {
        if (size > Left())
            throw TReadFailure{};
        const char *at = m_data.constData() + m_pos;
        m_pos += size;
        return at;
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
};

class TWriter
{
public:
    explicit TWriter(QByteArray &out) : m_out(out) {}

    void Int(const int &value) { Put(qToLittleEndian<qint32>(value)); }
    void Bool(const bool &value) { m_out.append(char(value ? 1 : 0)); }
    void Double(const double &value)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Put(qToLittleEndian(bits));
    }
    void Text(const QString &value)
    {
        Int(int(value.size()));
        for (const QChar unit : value)
            Put(qToLittleEndian<quint16>(unit.unicode()));
    }
    void Dates(const QList<TAdditionalDate> &dates)
    {
        Int(int(dates.size()));
        for (const TAdditionalDate &date : dates) {
            Double(date.Date);
            Double(date.Start);
            Double(date.Finish);
        }
    }

private:
    template <typename T> void Put(T littleEndian)
    {
        m_out.append(reinterpret_cast<const char *>(&littleEndian), sizeof littleEndian);
    }

    QByteArray &m_out;
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
    QByteArray content;
    TWriter out(content);
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
    QSaveFile file(CameraFilePath());
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    ReportError(Translate(QStringLiteral("Could not save settings. Please check the possibility to write to file "))
                    + ShownPath(),
                false);
    return false;
}

bool LoadCameras(TCameraListHost &host)
{
    QFile file(CameraFilePath());
    if (!file.exists())
        return true;
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw TReadFailure{};
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw TReadFailure{};
        file.close();

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
        ReportError(Translate(QStringLiteral("Could not load settings. Please check the possibility to read from file "))
                        + ShownPath(),
                    true);
        return false;
    }
}
