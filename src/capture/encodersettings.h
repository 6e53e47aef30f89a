#pragma once
// Settings of the MPEG-4 video encoder, kept per user in <config folder>/Ostrivo/encoder.conf
// (~/.config/Ostrivo/encoder.conf on Linux), apart from the program's own settings and camera files.
// Every recording reads them when it starts; the settings dialog (encodersettingsdialog.h) edits them.
//
// Threads: loading and saving may happen on any thread (each call uses its own QSettings object).
#include <QString>

struct TEncoderSettings
{
    static constexpr int MinQuality = 1;
    static constexpr int MaxQuality = 100;
    static constexpr int DefaultQuality = 85;

    int Quality = DefaultQuality; // 1 (smallest files) .. 100 (best picture)
};

QString EncoderSettingsFileName();
// The stored settings, with defaults for what is missing and values brought into range.
TEncoderSettings LoadEncoderSettings();
// False when the file could not be written.
bool SaveEncoderSettings(const TEncoderSettings &settings);

// The MPEG-4 quantiser (2 best .. 31 smallest) that a quality gives.
int QuantiserForQuality(int quality);
