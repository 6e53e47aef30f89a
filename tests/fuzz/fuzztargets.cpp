#include "fuzztargets.h"
#include "testpaths.h"

#include "capture/jpegdecoder.h"
#include "capture/jpegencoder.h"
#include "capture/mjpegparser.h"
#include "core/camerafile.h"
#include "core/main.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/translation.h"
#include "gatewayanswers.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <set>
#include <utility>

namespace fuzz {
namespace {

// A fuzzed invariant that does not hold: abort, so that libFuzzer keeps the input.
void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// A grid that grows by rows when full.
struct TGridHost : TCameraListHost
{
    int columns = 2, rows = 2;
    std::set<std::pair<int, int>> taken;

    int GridColumns() const override { return columns; }
    int GridRows() const override { return rows; }
    void RealignGrid(int cols, int rowCount) override
    {
        Require(cols >= 0 && rowCount >= 0 && cols <= MaxGridSide && rowCount <= MaxGridSide);
        if (cols == 0 && rowCount == 0) {
            ++rows;
            return;
        }
        columns = cols, rows = rowCount;
        taken.clear();
    }
    bool IsCellFree(int col, int row) const override { return !taken.count({col, row}); }
    bool FirstFreeCell(int &col, int &row) const override
    {
        for (row = 0; row < rows; ++row)
            for (col = 0; col < columns; ++col)
                if (IsCellFree(col, row))
                    return true;
        return false;
    }
    void CreateCamera(TCamera &, int col, int row) override
    {
        Require(col >= -1 && row >= -1 && col < columns && row < rows);
        taken.insert({col, row});
    }
    bool CameraCell(const TCamera &, int &col, int &row) const override { return col = row = -1, false; }
};

void CameraList(QByteArrayView data)
{
    TServices services;  // the decoded cameras go with it
    TGridHost host;
    DecodeCameraList(data.toByteArray(), host);
}

QList<QByteArray> CameraListSeeds()
{
    QTemporaryDir dir;
    TServices services;
    App().DataFolder = dir.path();
    for (int k = 0; k < 3; ++k) {
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = QStringLiteral("Camera %1").arg(k);
        camera->ipcam_IP = QStringLiteral("127.0.0.%1").arg(k + 1);
        camera->scheduler_AdditionalDates.resize(k);
        App().Cameras.push_back(std::move(camera));
    }
    TGridHost host;
    SaveCameras(host);
    QFile file(CameraFilePath());
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return {content, content.left(16)};
}

void Settings(QByteArrayView data)
{
    TGlobalSettings settings;
    DecodeSettings(data.toByteArray(), settings);
}

QList<QByteArray> SettingsSeeds()
{
    TGlobalSettings settings;
    settings.OutputFolderForVideosAndSnapshots = QStringLiteral("/home/user/Видео");
    settings.SMS_Username = QStringLiteral("user");
    return {EncodeSettings(settings), EncodeSettings(TGlobalSettings())};
}

void Translation(QByteArrayView data)
{
    const TTranslationTable table = TTranslationTable::Parse(data.toByteArray());
    if (table.IsEmpty())
        return;
    Require(table.LanguageCount() > 0 && table.PhraseCount() > 0);
    table.Translate(table.Phrase(0, table.PhraseCount() - 1), table.LanguageCount() - 1);
}

QList<QByteArray> TranslationSeeds()
{
    QFile file(SourceTreeFile(QStringLiteral("data/transl.dt")));
    const QByteArray table = file.open(QIODevice::ReadOnly) ? file.read(2000) : QByteArray();
    return {table, QByteArray("2\r\nEnglish\r\nDeutsch\r\nYes\r\nJa\r\n"), QByteArray("\xEF\xBB\xBF" "1\nEnglish\n")};
}

QByteArray SmallJpeg(int width, int height, int quality)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 5, (x ^ y) * 3));
    TJpegEncoder encoder;
    return encoder.Encode(image, quality) ? encoder.Data().toByteArray() : QByteArray();
}

// The first byte chooses the declared boundary (or none), the second the size of the reads; every part
// found goes through the decoder, as in a running camera.
void MjpegStream(QByteArrayView data)
{
    static const QByteArray boundaries[] = {"", "frame", "\"--frame\"", "ffmpeg", "x"};
    if (data.size() < 2)
        return;
    TMjpegParser parser(boundaries[uchar(data[0]) % std::size(boundaries)]);
    const qsizetype chunk = 1 + uchar(data[1]) % 64 * 97;
    data = data.sliced(2);
    TJpegDecoder decoder;
    TFramePool pool;
    for (qsizetype at = 0; at < data.size(); at += chunk) {
        parser.Feed(data.sliced(at, std::min(chunk, data.size() - at)), [&](QByteArrayView part) {
            Require(part.size() <= TMjpegParser::MaxPartSize);
            QImage image;
            decoder.Decode(part, pool, image);
        });
        Require(parser.BufferedBytes() <= 2 * (TMjpegParser::MaxPartSize + TMjpegParser::MaxHeaderSize) + chunk);
    }
}

QList<QByteArray> MjpegSeeds()
{
    const QByteArray jpeg = SmallJpeg(32, 24, 50);
    const QByteArray part = "--frame\r\nContent-Type: image/jpeg\r\nContent-Length: " + QByteArray::number(jpeg.size())
                            + "\r\n\r\n" + jpeg + "\r\n";
    QFile file(TestDataFile(QStringLiteral("ffmpeg-mpjpeg-body.bin")));
    const QByteArray ffmpeg = file.open(QIODevice::ReadOnly) ? file.read(40000) : QByteArray();
    return {QByteArray("\x01\x05") + part + part, QByteArray("\x00\x40") + part + "--frame--\r\n",
            QByteArray("\x03\x3f") + ffmpeg};
}

void JpegPicture(QByteArrayView data)
{
    TJpegDecoder decoder;
    TFramePool pool;
    QImage image;
    if (decoder.Decode(data, pool, image))
        Require(image.width() <= TJpegDecoder::MaxSide && image.height() <= TJpegDecoder::MaxSide);
}

QList<QByteArray> JpegSeeds() { return {SmallJpeg(16, 16, 90), SmallJpeg(40, 8, 20)}; }

void SmsAnswers(QByteArrayView data)
{
    const QByteArray body = data.toByteArray();
    for (const smsengine::TInboundMessage &message : smsengine::ParseRepliesPage(body).Messages)
        Require(message.Id > 0);
    smsengine::ErrorMessage(body);
}

QList<QByteArray> SmsAnswerSeeds()
{
    return {QByteArray(R"({"page":1,"pageCount":2,"resources":[{"id":17,"sender":"+4915100000","messageTime":)"
                       R"("2026-12-09T10:00:00+0000","text":"ON Door"},{"id":"x","text":"bad"}]})"),
            QByteArray(R"({"code":401,"message":"Invalid credentials"})")};
}

} // namespace

const QList<TTarget> &Targets()
{
    static const QList<TTarget> targets = {
        {"camera_list", CameraList, CameraListSeeds},     {"settings", Settings, SettingsSeeds},
        {"translation_table", Translation, TranslationSeeds}, {"mjpeg_stream", MjpegStream, MjpegSeeds},
        {"jpeg_picture", JpegPicture, JpegSeeds},         {"sms_answers", SmsAnswers, SmsAnswerSeeds},
    };
    return targets;
}

const TTarget *FindTarget(const char *name)
{
    for (const TTarget &target : Targets())
        if (qstrcmp(target.Name, name) == 0)
            return &target;
    return nullptr;
}

} // namespace fuzz
