#include "capture/encodersettings.h"

#include <QSettings>
#include <QStandardPaths>

#include <cmath>

namespace {
const char qualityKey[] = "Mpeg4/Quality";
}

QString EncoderSettingsFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Ostrivo/encoder.conf");
}

TEncoderSettings LoadEncoderSettings()
{
    const QSettings file(EncoderSettingsFileName(), QSettings::IniFormat);
    TEncoderSettings settings;
    bool ok = false;
    const int quality = file.value(qualityKey).toInt(&ok);
    if (ok)
        settings.Quality = qBound(TEncoderSettings::MinQuality, quality, TEncoderSettings::MaxQuality);
    return settings;
}

bool SaveEncoderSettings(const TEncoderSettings &settings)
{
    QSettings file(EncoderSettingsFileName(), QSettings::IniFormat);
    file.setValue(qualityKey, qBound(TEncoderSettings::MinQuality, settings.Quality, TEncoderSettings::MaxQuality));
    file.sync();
    return file.status() == QSettings::NoError;
}

int QuantiserForQuality(int quality)
{
    const int q = qBound(TEncoderSettings::MinQuality, quality, TEncoderSettings::MaxQuality);
    // Linear from 31 at quality 1 to 2 at quality 100.
    return int(std::lround(31.0 - (q - 1) * 29.0 / 99.0));
}
