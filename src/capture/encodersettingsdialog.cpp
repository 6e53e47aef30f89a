#include "capture/encodersettingsdialog.h"

#include "core/translation.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

TEncoderSettingsDialog::TEncoderSettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Xvid MPEG-4 Codec")));
    m_slider = new QSlider(Qt::Horizontal, this);
    m_spin = new QSpinBox(this);
    m_slider->setRange(TEncoderSettings::MinQuality, TEncoderSettings::MaxQuality);
    m_spin->setRange(TEncoderSettings::MinQuality, TEncoderSettings::MaxQuality);
    m_spin->setSuffix(QStringLiteral(" %"));
    connect(m_slider, &QSlider::valueChanged, m_spin, &QSpinBox::setValue);
    connect(m_spin, &QSpinBox::valueChanged, m_slider, &QSlider::setValue);

    auto *grid = new QGridLayout;
    auto *label = new QLabel(Translate(QStringLiteral("Quality:")), this);
    label->setBuddy(m_slider);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_slider, 0, 1, 1, 2);
    grid->addWidget(m_spin, 0, 3);
    grid->addWidget(new QLabel(Translate(QStringLiteral("Smaller files")), this), 1, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(Translate(QStringLiteral("Better picture")), this), 1, 2, Qt::AlignRight);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    SetSettings(TEncoderSettings());
}

TEncoderSettings TEncoderSettingsDialog::Settings() const
{
    TEncoderSettings settings;
    settings.Quality = m_spin->value();
    return settings;
}

void TEncoderSettingsDialog::SetSettings(const TEncoderSettings &settings)
{
    m_spin->setValue(settings.Quality);
}

bool TEncoderSettingsDialog::Edit(QWidget *parent)
{
    TEncoderSettingsDialog dialog(parent);
    dialog.SetSettings(LoadEncoderSettings());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return SaveEncoderSettings(dialog.Settings());
}
