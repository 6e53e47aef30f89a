// ostrivo-motion: runs the motion detector over image files in order, the way a user tuning the detector on
// saved snapshots would, and prints one line per frame (and, with --counts, the cell counts).
#include "capture/motiondetector.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QImageReader>
#include <QRegularExpression>

#include <cstdio>

namespace {

struct TReplayOptions
{
    int GridX = 0, GridY = 0; // 0: keep the default grid
    QString GridText;
    bool HaveGridText = false;
    int Sensitivity = -1;
    int Step = 1;
    bool Blue = true, Green = true, Red = true;
    bool GreyScale = false;
    bool Noise = false;
    double MaxPerSecond = 0;
    qint64 IntervalMs = 100;
    bool Counts = false;
    QStringList Files;
};

[[noreturn]] void Fail(const QString &message)
{
    std::fprintf(stderr, "ostrivo-motion: %s\n", qPrintable(message));
    std::exit(2);
}

qint64 IntegerOption(const QCommandLineParser &parser, const QString &name, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok || value < low || value > high)
        Fail(QStringLiteral("--%1 wants a whole number from %2 to %3, not \"%4\"")
                 .arg(name).arg(low).arg(high).arg(parser.value(name)));
    return value;
}

TReplayOptions ParseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs the motion detector over image files in order."));
    parser.addOptions({
        {QStringLiteral("grid-size"), QStringLiteral("Grid of X columns and Y rows (1..1000 each)."), QStringLiteral("XxY")},
        {QStringLiteral("grid"), QStringLiteral("Cell levels as grid text."), QStringLiteral("TEXT")},
        {QStringLiteral("sensitivity"), QStringLiteral("Level 0..9 of every cell."), QStringLiteral("N")},
        {QStringLiteral("step"), QStringLiteral("Sampling step (1 or more)."), QStringLiteral("N")},
        {QStringLiteral("channels"), QStringLiteral("Compared channels, letters of \"bgr\"."), QStringLiteral("bgr")},
        {QStringLiteral("greyscale"), QStringLiteral("Compare grey values.")},
        {QStringLiteral("noise"), QStringLiteral("Smooth frames before comparing.")},
        {QStringLiteral("max-per-second"), QStringLiteral("Analyses per second at most (0: no limit)."), QStringLiteral("V")},
        {QStringLiteral("interval-ms"), QStringLiteral("Time between frames in milliseconds (100)."), QStringLiteral("MS")},
        {QStringLiteral("counts"), QStringLiteral("After each analysed frame, print changed/compared of every cell.")},
    });
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Image files (PNG, JPEG, BMP, PPM)."),
                                 QStringLiteral("FILE..."));
    if (!parser.parse(arguments))
        Fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        std::exit(0);
    }

    TReplayOptions options;
    if (parser.isSet(QStringLiteral("grid-size"))) {
        const auto match = QRegularExpression(QStringLiteral("^(\\d{1,4})x(\\d{1,4})$"))
                               .match(parser.value(QStringLiteral("grid-size")));
        options.GridX = match.hasMatch() ? match.captured(1).toInt() : 0;
        options.GridY = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (options.GridX < 1 || options.GridX > 1000 || options.GridY < 1 || options.GridY > 1000)
            Fail(QStringLiteral("--grid-size wants XxY with X and Y from 1 to 1000, not \"%1\"")
                     .arg(parser.value(QStringLiteral("grid-size"))));
    }
    options.HaveGridText = parser.isSet(QStringLiteral("grid"));
    options.GridText = parser.value(QStringLiteral("grid"));
    if (parser.isSet(QStringLiteral("sensitivity")))
        options.Sensitivity = int(IntegerOption(parser, QStringLiteral("sensitivity"), 0, 9));
    if (parser.isSet(QStringLiteral("step")))
        options.Step = int(IntegerOption(parser, QStringLiteral("step"), 1, 1000000));
    if (parser.isSet(QStringLiteral("channels"))) {
        const QString channels = parser.value(QStringLiteral("channels")).toLower();
        if (channels.isEmpty() || !QRegularExpression(QStringLiteral("^[bgr]+$")).match(channels).hasMatch())
            Fail(QStringLiteral("--channels wants some of the letters b, g and r, not \"%1\"").arg(channels));
        options.Blue = channels.contains(QLatin1Char('b'));
        options.Green = channels.contains(QLatin1Char('g'));
        options.Red = channels.contains(QLatin1Char('r'));
    }
    options.GreyScale = parser.isSet(QStringLiteral("greyscale"));
    options.Noise = parser.isSet(QStringLiteral("noise"));
    if (parser.isSet(QStringLiteral("max-per-second"))) {
        bool ok = false;
        options.MaxPerSecond = parser.value(QStringLiteral("max-per-second")).toDouble(&ok);
        if (!ok || !(options.MaxPerSecond >= 0))
            Fail(QStringLiteral("--max-per-second wants a number of 0 or more, not \"%1\"")
                     .arg(parser.value(QStringLiteral("max-per-second"))));
    }
    if (parser.isSet(QStringLiteral("interval-ms")))
        options.IntervalMs = IntegerOption(parser, QStringLiteral("interval-ms"), 0, 1000LL * 86400 * 365);
    options.Counts = parser.isSet(QStringLiteral("counts"));
    options.Files = parser.positionalArguments();
    if (options.Files.isEmpty())
        Fail(QStringLiteral("no image files given (try --help)"));
    return options;
}

void Configure(TMotionDetector &detector, const TReplayOptions &options)
{
    if (options.GridX > 0)
        detector.MotionDetector_SetGridSize(options.GridX, options.GridY);
    if (options.Sensitivity >= 0)
        detector.MotionDetector_ResetGlobalSensitivity(options.Sensitivity);
    if (options.HaveGridText) {
        detector.SetMotionDetector_Grid(options.GridText);
        if (!detector.MotionDetector_IsGridValid())
            Fail(QStringLiteral("--grid \"%1\" is not grid text for %2 columns and %3 rows")
                     .arg(options.GridText).arg(detector.MotionDetector_GridXCount())
                     .arg(detector.MotionDetector_GridYCount()));
    }
    detector.SetMotionDetector_ReduceCPULoad(options.Step);
    detector.SetMotionDetector_CompareBlue(options.Blue);
    detector.SetMotionDetector_CompareGreen(options.Green);
    detector.SetMotionDetector_CompareRed(options.Red);
    detector.SetMotionDetector_GreyScale(options.GreyScale);
    detector.SetMotionDetector_ReduceVideoNoise(options.Noise);
    detector.SetMotionDetector_MaxDetectionsPerSecond(options.MaxPerSecond);
    detector.SetMotionDetector_Enabled(true);
}

void PrintCounts(const TMotionDetector &detector)
{
    for (int y = 0; y < detector.MotionDetector_GridYCount(); ++y) {
        QString line = QStringLiteral(" ");
        for (int x = 0; x < detector.MotionDetector_GridXCount(); ++x) {
            int changed = 0, compared = 0;
            detector.CellCounts(x, y, changed, compared);
            line += QStringLiteral(" %1/%2").arg(changed).arg(compared);
        }
        std::printf("%s\n", qPrintable(line));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // image format plugins are found through the application
    const TReplayOptions options = ParseOptions(QCoreApplication::arguments());
    TMotionDetector detector;
    detector.OnLog = [](const QString &line) { std::fprintf(stderr, "ostrivo-motion: %s\n", qPrintable(line)); };
    Configure(detector, options);

    for (int i = 0; i < options.Files.size(); ++i) {
        QImageReader reader(options.Files[i]);
        TVideoFrame frame;
        frame.Image = reader.read();
        if (frame.Image.isNull())
            Fail(QStringLiteral("cannot read \"%1\": %2").arg(options.Files[i], reader.errorString()));
        frame.Image = frame.Image.convertToFormat(QImage::Format_RGB32);
        frame.Number = quint32(i + 1);
        frame.Time = qint64(i) * options.IntervalMs * 10000;
        const TMotionResult result = detector.ProcessFrame(frame);
        if (result.Motion)
            std::printf("frame %d: motion ratio=%s cell=%d,%d\n", i + 1,
                        qPrintable(QString::number(result.GlobalMotionRatio, 'f', 6)), result.MaxMotionCellX,
                        result.MaxMotionCellY);
        else
            std::printf("frame %d: none\n", i + 1);
        if (options.Counts && result.Analysed)
            PrintCounts(detector);
    }
    return 0;
}
