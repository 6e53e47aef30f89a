#pragma once
// The encoder's own settings dialog: one quality setting for MPEG-4 recordings, stored per user
// (encodersettings.h). UI thread only.
#include "capture/encodersettings.h"

#include <QDialog>

class QSlider;
class QSpinBox;

class TEncoderSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TEncoderSettingsDialog(QWidget *parent = nullptr);

    TEncoderSettings Settings() const;
    void SetSettings(const TEncoderSettings &settings);

    // Shows the dialog with the stored settings and stores them when the user presses OK. True when
    // stored.
    static bool Edit(QWidget *parent = nullptr);

private:
    QSlider *m_slider = nullptr;
    QSpinBox *m_spin = nullptr;
};
