// The controls of the camera dialog's five pages, created in visual order so that the keyboard walks them
// top to bottom and left to right.
#include "cameradialog/newcapturedevice.h"

#include "cameradialog/proxysettings.h"
#include "cameradialog/scheduleeditor.h"
#include "capture/capturecomponent.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int Indent = 24;
constexpr int SpinMaximum = 10000;

QSpinBox *MakeSpin(QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setRange(0, SpinMaximum);
    spin->setMinimumWidth(72);
    return spin;
}

QSlider *MakeSlider(QWidget *parent, int minimum, int maximum)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setMinimumWidth(220);
    return slider;
}

QLineEdit *MakePasswordField(QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }")); // "*"
    return field;
}

// A link: one stop for the keyboard (Space opens it), underlined like a web link.
QPushButton *MakeLink(QWidget *parent)
{
    auto *link = new QPushButton(parent);
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    link->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px 1px; text-align: left;"
                                       " color: palette(link); text-decoration: underline; }"
                                       "QPushButton:focus { border: 1px dotted palette(text); }"
                                       "QPushButton:disabled { color: palette(mid); }"));
    return link;
}

QToolButton *MakeHelpButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(QStringLiteral("?"));
    button->setFixedSize(24, 24);
    return button;
}

TCaptureComponent *MakePreview(QWidget *parent)
{
    auto *preview = new TCaptureComponent(parent);
    preview->SetColor(Qt::black);
    preview->SetFontColor(Qt::white);
    preview->SetShowCaption(true);
    preview->SetDisplayEmbedded(0, true);
    preview->setFixedSize(240, 180);
    return preview;
}

// "Connect && Test", start and stop, and the preview under them.
QVBoxLayout *PreviewColumn(QWidget *parent, QPushButton *&test, QToolButton *&start, QToolButton *&stop,
                           TCaptureComponent *&preview)
{
    auto *column = new QVBoxLayout;
    auto *buttons = new QHBoxLayout;
    test = new QPushButton(parent);
    start = new QToolButton(parent);
    start->setIcon(parent->style()->standardIcon(QStyle::SP_MediaPlay));
    stop = new QToolButton(parent);
    stop->setIcon(parent->style()->standardIcon(QStyle::SP_MediaStop));
    buttons->addWidget(test);
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(stop);
    column->addLayout(buttons);
    preview = MakePreview(parent);
    column->addWidget(preview);
    column->addStretch();
    return column;
}

QHBoxLayout *Row(std::initializer_list<QWidget *> widgets, int indent = 0)
{
    auto *row = new QHBoxLayout;
    if (indent)
        row->addSpacing(indent);
    for (QWidget *w : widgets)
        row->addWidget(w);
    row->addStretch();
    return row;
}

} // namespace

void TDevForm::BuildCameraPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    lblTitle = new QLabel(page);
    edTitle = new QLineEdit(page);
    lblTitle->setBuddy(edTitle);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(lblTitle);
    titleRow->addWidget(edTitle, 1);
    layout->addLayout(titleRow);

    rgDevType = new QGroupBox(page);
    auto *types = new QHBoxLayout(rgDevType);
    rbIPCamera = new QRadioButton(rgDevType);
    rbWebcam = new QRadioButton(rgDevType);
    types->addWidget(rbIPCamera);
    types->addWidget(rbWebcam);
    types->addStretch();
    layout->addWidget(rgDevType);

    gbDeviceSettings = new QGroupBox(page);
    auto *settings = new QVBoxLayout(gbDeviceSettings);
    DevicePages = new QStackedWidget(gbDeviceSettings);
    DevicePages->addWidget(BuildIPCameraPage());
    DevicePages->addWidget(BuildWebcamPage());
    settings->addWidget(DevicePages);
    layout->addWidget(gbDeviceSettings, 1);
}

QWidget *TDevForm::BuildIPCameraPage()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *fields = new QGridLayout;
    int row = 0;
    const auto addField = [&](QLabel *&label, QWidget *field) {
        label = new QLabel(page);
        label->setBuddy(field);
        fields->addWidget(label, row, 0);
        fields->addWidget(field, row++, 1);
    };
    cmbBrands = new QComboBox(page);
    cmbBrands->setMaxVisibleItems(20);
    addField(lblBrand, cmbBrands);
    cmbModels = new QComboBox(page);
    cmbModels->setMaxVisibleItems(20);
    addField(lblModel, cmbModels);
    for (QComboBox *list : {cmbBrands, cmbModels}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(18);
    }
    Label9 = MakeLink(page);
    fields->addWidget(Label9, row++, 1);
    edIP = new QLineEdit(page);
    addField(lblIP, edIP);
    edPort = new QLineEdit(page);
    edPort->setMaximumWidth(80);
    addField(lblPort, edPort);
    chCameraAuthentication = new QCheckBox(page);
    fields->addWidget(chCameraAuthentication, row++, 0, 1, 2);
    edUserName = new QLineEdit(page);
    addField(lblUserName, edUserName);
    edPassword = MakePasswordField(page);
    addField(lblPassword, edPassword);
    btnScanLAN = new QPushButton(page);
    fields->addWidget(btnScanLAN, row++, 0, 1, 2, Qt::AlignLeft);
    fields->setRowStretch(row, 1);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields, 1);
    layout->addSpacing(8);
    layout->addLayout(PreviewColumn(page, btnConnectTest, btnPreviewStart, btnPreviewStop, PreviewCapture));
    return page;
}

QWidget *TDevForm::BuildWebcamPage()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *fields = new QGridLayout;
    lblDevice = new QLabel(page);
    cmbWebcamDevice = new QComboBox(page);
    lblDevice->setBuddy(cmbWebcamDevice);
    lblResolution = new QLabel(page);
    cmbWebcamResol = new QComboBox(page);
    lblResolution->setBuddy(cmbWebcamResol);
    for (QComboBox *list : {cmbWebcamDevice, cmbWebcamResol}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(18);
    }
    fields->addWidget(lblDevice, 0, 0);
    fields->addWidget(cmbWebcamDevice, 0, 1);
    fields->addWidget(lblResolution, 1, 0);
    fields->addWidget(cmbWebcamResol, 1, 1);
    fields->setRowStretch(2, 1);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields, 1);
    layout->addSpacing(8);
    layout->addLayout(PreviewColumn(page, btnConnectTest2, btnPreviewStart2, btnPreviewStop2, PreviewCapture2));
    return page;
}

void TDevForm::BuildDetectionPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    lblSensitivity = new QLabel(page);
    TrackBar1 = MakeSlider(page, 0, 9);
    lblSensitivity->setBuddy(TrackBar1);
    layout->addWidget(lblSensitivity);
    layout->addLayout(Row({TrackBar1}));
    layout->addSpacing(8);

    CheckBox2 = new QCheckBox(page);
    layout->addWidget(CheckBox2);
    lblVideoQuality = new QLabel(page);
    btnConfigureCodec = new QPushButton(page);
    layout->addLayout(Row({lblVideoQuality, btnConfigureCodec}, Indent));
    lblContinue = new QLabel(page);
    Edit1 = MakeSpin(page);
    lblContinue->setBuddy(Edit1);
    lblContinueSeconds = new QLabel(page);
    layout->addLayout(Row({lblContinue, Edit1, lblContinueSeconds}, Indent));
    layout->addSpacing(8);

    CheckBox3 = new QCheckBox(page);
    layout->addWidget(CheckBox3);
    lblSnapshotQuality = new QLabel(page);
    TrackBar3 = MakeSlider(page, 1, 10);
    lblSnapshotQuality->setBuddy(TrackBar3);
    layout->addLayout(Row({lblSnapshotQuality, TrackBar3}, Indent));
    lblEvery = new QLabel(page);
    Edit2 = MakeSpin(page);
    lblEvery->setBuddy(Edit2);
    lblSecondsForNext = new QLabel(page);
    Edit3 = MakeSpin(page);
    lblSnapshotSeconds = new QLabel(page);
    layout->addLayout(Row({lblEvery, Edit2, lblSecondsForNext, Edit3, lblSnapshotSeconds}, Indent));
    layout->addStretch();

    lblOutputFolder = MakeLink(page);
    layout->addWidget(lblOutputFolder);
}

void TDevForm::BuildAlarmPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    CheckBox4 = new QCheckBox(page);
    layout->addWidget(CheckBox4);
    lblSound = new QLabel(page);
    ComboBox1 = new QComboBox(page);
    for (int i = 1; i <= 5; ++i)
        ComboBox1->addItem(QStringLiteral("Sirene %1").arg(i));
    lblSound->setBuddy(ComboBox1);
    layout->addLayout(Row({lblSound, ComboBox1}, Indent));
    lblPlayFor = new QLabel(page);
    Edit5 = MakeSpin(page);
    lblPlayFor->setBuddy(Edit5);
    lblPlaySeconds = new QLabel(page);
    layout->addLayout(Row({lblPlayFor, Edit5, lblPlaySeconds}, Indent));
    lblPause = new QLabel(page);
    Edit8 = MakeSpin(page);
    lblPause->setBuddy(Edit8);
    lblPauseMinutes = new QLabel(page);
    layout->addLayout(Row({lblPause, Edit8, lblPauseMinutes}, Indent));
    layout->addSpacing(8);

    lblVolume = new QLabel(page);
    layout->addLayout(Row({lblVolume}, Indent));
    auto *volume = new QGridLayout;
    lblVolume0 = new QLabel(QStringLiteral("0"), page);
    lblVolume100 = new QLabel(QStringLiteral("100"), page);
    TrackBar4 = MakeSlider(page, 0, 10);
    TrackBar4->setTickPosition(QSlider::TicksBothSides);
    lblVolume->setBuddy(TrackBar4);
    lblMute = new QLabel(page);
    lblVeryLoud = new QLabel(page);
    volume->addWidget(lblVolume0, 0, 0, Qt::AlignLeft);
    volume->addWidget(lblVolume100, 0, 1, Qt::AlignRight);
    volume->addWidget(TrackBar4, 1, 0, 1, 2);
    volume->addWidget(lblMute, 2, 0, Qt::AlignLeft);
    volume->addWidget(lblVeryLoud, 2, 1, Qt::AlignRight);
    auto *volumeRow = new QHBoxLayout;
    volumeRow->addSpacing(Indent);
    volumeRow->addLayout(volume);
    volumeRow->addStretch();
    layout->addLayout(volumeRow);
    btnTestSound = new QPushButton(page);
    layout->addLayout(Row({btnTestSound}, Indent));
    chckAuthentication = new QCheckBox(page);
    chckAuthentication->setVisible(false);
    layout->addStretch();
}

void TDevForm::BuildNotificationsPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    CheckBox15 = new QCheckBox(page);
    btnEmailHelp = MakeHelpButton(page);
    layout->addLayout(Row({CheckBox15, btnEmailHelp}));

    auto *mail = new QGridLayout;
    mail->setColumnMinimumWidth(0, Indent);
    int row = 0, column = 1;
    // Pairs of label and field, two per row.
    const auto addField = [&](QLabel *&label, QWidget *field) {
        label = new QLabel(page);
        label->setBuddy(field);
        mail->addWidget(label, row, column);
        mail->addWidget(field, row, column + 1);
        column += 2;
        if (column > 3) {
            column = 1;
            ++row;
        }
    };
    edFrom = new QLineEdit(page);
    addField(lblFrom, edFrom);
    edtTo = new QLineEdit(page);
    addField(lblTo, edtTo);
    edtHost = new QLineEdit(page);
    addField(lblHost, edtHost);
    edtPort = new QLineEdit(page);
    edtPort->setMaxLength(10);
    addField(lblSMTPPort, edtPort);
    edtUserName = new QLineEdit(page);
    addField(lblSMTPUserName, edtUserName);
    edtPassword = MakePasswordField(page);
    addField(lblSMTPPassword, edtPassword);
    cbxSecurity = new QComboBox(page);
    cbxSecurity->addItems({QStringLiteral("None"), QStringLiteral("SSL"), QStringLiteral("TLS")});
    addField(lblSecurity, cbxSecurity);
    mail->setColumnStretch(2, 1);
    mail->setColumnStretch(4, 1);
    layout->addLayout(mail);

    btnTestEmail = new QPushButton(page);
    CheckBox6 = new QCheckBox(page);
    lblProxy = MakeLink(page);
    auto *mailTools = Row({btnTestEmail, CheckBox6}, Indent);
    mailTools->addWidget(lblProxy);
    layout->addLayout(mailTools);
    layout->addSpacing(12);

    CheckBox1 = new QCheckBox(page);
    btnSMSHelp = MakeHelpButton(page);
    layout->addLayout(Row({CheckBox1, btnSMSHelp}));
    auto *sms = new QGridLayout;
    sms->setColumnMinimumWidth(0, Indent);
    row = 0;
    column = 1;
    mail = sms; // addField fills this grid now
    Edit4 = new QLineEdit(page);
    addField(lblSMSUserName, Edit4);
    Edit6 = new QLineEdit(page);
    addField(lblAPIKey, Edit6);
    Edit9 = new QLineEdit(page);
    addField(lblPhone, Edit9);
    btnTestSMS = new QPushButton(page);
    sms->addWidget(btnTestSMS, row, 3, 1, 2, Qt::AlignLeft);
    sms->setColumnStretch(2, 1);
    sms->setColumnStretch(4, 1);
    layout->addLayout(sms);
    layout->addStretch();
}
