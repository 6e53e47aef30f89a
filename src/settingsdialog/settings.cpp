#include "settingsdialog/settings.h"

#include "core/background.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/startup.h"
#include "core/translation.h"
#include "smscontrol/smscommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int CommandRows = 4;
constexpr int CommandColumn = 1;
// Indentation of a check box that depends on the one above it.
constexpr int DependentIndent = 20;

QSpinBox *NumberField(int minimum, int maximum, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setRange(minimum, maximum);
    spin->setSingleStep(1);
    return spin;
}

// A check box or label followed by a number field and its unit, left-aligned on one line.
QHBoxLayout *NumberLine(QWidget *lead, QSpinBox *spin, QLabel *unit)
{
    auto *line = new QHBoxLayout;
    line->addWidget(lead);
    line->addWidget(spin);
    line->addWidget(unit);
    line->addStretch(1);
    return line;
}

QString Cell(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

} // namespace

const QStringList TGenSettingsForm::ReservedWords = {QStringLiteral("stop"), QStringLiteral("stopall"),
                                                     QStringLiteral("unsubscribe"), QStringLiteral("quit"),
                                                     QStringLiteral("cancel"), QStringLiteral("end")};

bool TGenSettingsForm::IsReservedWord(const QString &command)
{
    return ReservedWords.contains(QLocale().toLower(command).trimmed());
}

TGenSettingsForm::TGenSettingsForm(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Settings")));
    setModal(true);

    PageControl1 = new QTabWidget(this);
    GeneralPage = BuildGeneralPage();
    SMSPage = BuildSMSPage();
    PageControl1->addTab(GeneralPage, Translate(QStringLiteral("General")));
    PageControl1->addTab(SMSPage, Translate(QStringLiteral("SMS Commands")));

    OKButton = new QPushButton(Translate(QStringLiteral("OK")), this);
    CancelButton = new QPushButton(Translate(QStringLiteral("Cancel")), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TGenSettingsForm::OKClick);
    connect(CancelButton, &QPushButton::clicked, this, &TGenSettingsForm::CancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

TGenSettingsForm::~TGenSettingsForm()
{
    if (m_testing)
        QGuiApplication::restoreOverrideCursor();
}

QWidget *TGenSettingsForm::BuildGeneralPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    OutputFolderLabel = new QLabel(Translate(QStringLiteral("Save video and snapshots to directory:")), page);
    OutputFolderEdit = new QLineEdit(page);
    OutputFolderEdit->setReadOnly(true);
    OutputFolderEdit->setMinimumWidth(320);
    SelectFolderButton = new QToolButton(page);
    SelectFolderButton->setText(QStringLiteral("..."));
    OpenFolderButton = new QToolButton(page);
    OpenFolderButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(SelectFolderButton, &QToolButton::clicked, this, &TGenSettingsForm::SelectFolderClick);
    connect(OpenFolderButton, &QToolButton::clicked, this, &TGenSettingsForm::OpenFolderClick);
    auto *folderLine = new QHBoxLayout;
    folderLine->addWidget(OutputFolderEdit, 1);
    folderLine->addWidget(SelectFolderButton);
    folderLine->addWidget(OpenFolderButton);
    layout->addWidget(OutputFolderLabel);
    layout->addLayout(folderLine);

    LanguageLabel = new QLabel(Translate(QStringLiteral("Language:")), page);
    LanguageBox = new QComboBox(page);
    LanguageBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto *languageLine = new QHBoxLayout;
    languageLine->addWidget(LanguageLabel);
    languageLine->addWidget(LanguageBox);
    languageLine->addStretch(1);
    layout->addLayout(languageLine);

    AutostartCheck = new QCheckBox(Translate(QStringLiteral("Run Ostrivo when Windows starts")), page);
    HideToTrayCheck = new QCheckBox(Translate(QStringLiteral("... and minimize to tray")), page);
    connect(AutostartCheck, &QCheckBox::clicked, this, &TGenSettingsForm::AutostartClick);
    layout->addWidget(AutostartCheck);
    auto *hideLine = new QHBoxLayout;
    hideLine->addSpacing(DependentIndent);
    hideLine->addWidget(HideToTrayCheck);
    hideLine->addStretch(1);
    layout->addLayout(hideLine);

    MaximizeCheck = new QCheckBox(
        Translate(QStringLiteral("When the program is minimized and the motion is detected, then maximize the program")),
        page);
    layout->addWidget(MaximizeCheck);

    ReconnectCheck = new QCheckBox(Translate(QStringLiteral("If camera is not accessible, try to reconnect every")), page);
    ReconnectSpin = NumberField(30, 100, page);
    SecondsLabel = new QLabel(Translate(QStringLiteral("seconds")), page);
    layout->addLayout(NumberLine(ReconnectCheck, ReconnectSpin, SecondsLabel));

    AutoDeleteCheck = new QCheckBox(Translate(QStringLiteral("Auto delete videos/snaphots  older than")), page);
    AutoDeleteSpin = NumberField(1, 100, page);
    DaysLabel = new QLabel(Translate(QStringLiteral("days")), page);
    layout->addLayout(NumberLine(AutoDeleteCheck, AutoDeleteSpin, DaysLabel));

    DateTimeOverlayCheck = new QCheckBox(Translate(QStringLiteral("Display current time over video")), page);
    TitleOverlayCheck = new QCheckBox(Translate(QStringLiteral("Display title of camera")), page);
    layout->addWidget(DateTimeOverlayCheck);
    layout->addWidget(TitleOverlayCheck);

    DelayLabel = new QLabel(Translate(QStringLiteral("Minimum delay between email/sms notifications")), page);
    DelaySpin = NumberField(0, 10000, page);
    MinutesLabel = new QLabel(Translate(QStringLiteral("minutes")), page);
    layout->addLayout(NumberLine(DelayLabel, DelaySpin, MinutesLabel));
    layout->addStretch(1);
    return page;
}

QWidget *TGenSettingsForm::BuildSMSPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    SMSControlCheck = new QCheckBox(
        Translate(QStringLiteral("Control cameras in Ostrivo with SMS commands (you need an account on TextMagic)")), page);
    connect(SMSControlCheck, &QCheckBox::clicked, this, &TGenSettingsForm::SMSControlClick);
    layout->addWidget(SMSControlCheck);

    UsernameLabel = new QLabel(Translate(QStringLiteral("User name:")), page);
    UsernameEdit = new QLineEdit(page);
    APIKeyLabel = new QLabel(Translate(QStringLiteral("API Key:")), page);
    APIKeyEdit = new QLineEdit(page);
    TestConnectionButton = new QPushButton(Translate(QStringLiteral("Test Connection")), page);
    connect(TestConnectionButton, &QPushButton::clicked, this, &TGenSettingsForm::TestConnectionClick);
    auto *account = new QGridLayout;
    account->addWidget(UsernameLabel, 0, 0);
    account->addWidget(UsernameEdit, 0, 1);
    account->addWidget(APIKeyLabel, 1, 0);
    account->addWidget(APIKeyEdit, 1, 1);
    account->addWidget(TestConnectionButton, 1, 2);
    account->setColumnStretch(1, 1);
    layout->addLayout(account);

    CommandsLabel = new QLabel(Translate(QStringLiteral("SMS Commands:")), page);
    layout->addWidget(CommandsLabel);
    CommandTable = new QTableWidget(CommandRows, 2, page);
    CommandTable->setHorizontalHeaderLabels({Translate(QStringLiteral("Task")), Translate(QStringLiteral("Command"))});
    CommandTable->verticalHeader()->hide();
    CommandTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    CommandTable->horizontalHeader()->setSectionResizeMode(CommandColumn, QHeaderView::Stretch);
    CommandTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CommandTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QString tasks[CommandRows] = {Translate(QStringLiteral("Disable monitoring on camera(s)")),
                                        Translate(QStringLiteral("Enable monitoring on camera(s)")),
                                        Translate(QStringLiteral("Check status of camera(s)")),
                                        Translate(QStringLiteral("Take snapshots with camera(s), and send to my email"))};
    for (int row = 0; row < CommandRows; ++row) {
        auto *task = new QTableWidgetItem(tasks[row]);
        task->setFlags(Qt::ItemIsEnabled);
        CommandTable->setItem(row, 0, task);
        CommandTable->setItem(row, CommandColumn, new QTableWidgetItem(QString()));
    }
    CommandTable->resizeColumnToContents(0);
    CommandTable->setMinimumWidth(CommandTable->columnWidth(0) + 160);
    CommandTable->setFixedHeight(CommandTable->horizontalHeader()->sizeHint().height()
                                 + CommandTable->verticalHeader()->length() + 2 * CommandTable->frameWidth());
    connect(CommandTable, &QTableWidget::itemChanged, this, &TGenSettingsForm::CommandTableChanged);
    layout->addWidget(CommandTable);

    FormatLabel = new QLabel(
        Translate(QStringLiteral("Format of SMS (without quotes): \"COMMAND CAMERA_NAME1, CAMERA_NAME2, etc.\"  to apply "
                                 "to specific cameras. Or simply \"COMMAND\" - to all cameras. Example: \"OFF my IP camera\"")),
        page);
    FormatLabel->setWordWrap(true);
    layout->addWidget(FormatLabel);

    AllowedSendersLabel = new QLabel(
        Translate(QStringLiteral("Obey only these sender numbers (comma-separated; empty: any number):")), page);
    AllowedSendersLabel->setWordWrap(true);
    AllowedSendersEdit = new QLineEdit(page);
    layout->addWidget(AllowedSendersLabel);
    layout->addWidget(AllowedSendersEdit);

    HelpButton = new QPushButton(Translate(QStringLiteral("Help")), page);
    connect(HelpButton, &QPushButton::clicked, this, &TGenSettingsForm::HelpClick);
    auto *helpLine = new QHBoxLayout;
    helpLine->addStretch(1);
    helpLine->addWidget(HelpButton);
    layout->addStretch(1);
    layout->addLayout(helpLine);
    return page;
}

void TGenSettingsForm::LoadFrom(const TGlobalSettings &s, const QStringList &allowedSenders)
{
    AutostartCheck->setChecked(s.AutostartWithWindows);
    HideToTrayCheck->setChecked(s.HideToTrayOnAutostart);
    MaximizeCheck->setChecked(s.MaximizeAppOnDetection);
    ReconnectCheck->setChecked(s.ReconnectCameraIfDown);
    ReconnectSpin->setValue(s.ReconnectionInterval_sec);
    AutoDeleteCheck->setChecked(s.AutoDeleteOldRecordings);
    AutoDeleteSpin->setValue(s.AutoDeleteOlderThen_Days);
    DateTimeOverlayCheck->setChecked(s.DateTimeOverlay);
    TitleOverlayCheck->setChecked(s.CameraTitleOverlay);
    DelaySpin->setValue(s.DelayBetweenEmailsAndSMS_min);
    SMSControlCheck->setChecked(s.SMS_ControlEnabled);
    UsernameEdit->setText(s.SMS_Username);
    APIKeyEdit->setText(s.SMS_APIKey);
    const QString words[CommandRows] = {s.SMS_Command_DisableDetection, s.SMS_Command_EnableDetection,
                                        s.SMS_Command_CheckStatus, s.SMS_Command_MakeSnapshot};
    {
        const QSignalBlocker quiet(CommandTable); // stored words are taken as they are
        for (int row = 0; row < CommandRows; ++row)
            CommandTable->item(row, CommandColumn)->setText(words[row]);
    }
    AllowedSendersEdit->setText(allowedSenders.join(QStringLiteral(", ")));
    m_language = s.Language;
    FillLanguageList(m_language);
    OutputFolderEdit->setText(s.OutputFolderForVideosAndSnapshots);
    PageControl1->setCurrentIndex(0);
}

void TGenSettingsForm::StoreInto(TGlobalSettings &s) const
{
    s.Language = SelectedLanguage();
    s.AutostartWithWindows = AutostartCheck->isChecked();
    s.HideToTrayOnAutostart = HideToTrayCheck->isChecked();
    s.OutputFolderForVideosAndSnapshots = OutputFolderEdit->text();
    s.MaximizeAppOnDetection = MaximizeCheck->isChecked();
    s.ReconnectCameraIfDown = ReconnectCheck->isChecked();
    s.ReconnectionInterval_sec = ReconnectSpin->value();
    s.AutoDeleteOldRecordings = AutoDeleteCheck->isChecked();
    s.AutoDeleteOlderThen_Days = AutoDeleteSpin->value();
    s.DateTimeOverlay = DateTimeOverlayCheck->isChecked();
    s.CameraTitleOverlay = TitleOverlayCheck->isChecked();
    s.DelayBetweenEmailsAndSMS_min = DelaySpin->value();
    s.SMS_ControlEnabled = SMSControlCheck->isChecked();
    s.SMS_Username = UsernameEdit->text();
    s.SMS_APIKey = APIKeyEdit->text();
    s.SMS_Command_DisableDetection = Cell(CommandTable, 0, CommandColumn);
    s.SMS_Command_EnableDetection = Cell(CommandTable, 1, CommandColumn);
    s.SMS_Command_CheckStatus = Cell(CommandTable, 2, CommandColumn);
    s.SMS_Command_MakeSnapshot = Cell(CommandTable, 3, CommandColumn);
}

QStringList TGenSettingsForm::AllowedSenders() const { return SplitPhoneNumberList(AllowedSendersEdit->text()); }

int TGenSettingsForm::SelectedLanguage() const
{
    // Without a list to choose from the stored language stays.
    const int index = LanguageBox->currentIndex();
    return index < 0 ? m_language : index;
}

void TGenSettingsForm::FillLanguageList(int selected)
{
    // Without a translation table the language codes stand in for the names, so the stored index survives.
    QStringList names = LanguageList();
    if (names.isEmpty())
        names = LanguageCodes;
    LanguageBox->clear();
    LanguageBox->addItems(names);
    LanguageBox->setCurrentIndex(selected >= 0 && selected < names.size() ? selected : -1);
}

void TGenSettingsForm::showEvent(QShowEvent *event)
{
    m_confirmed = false;
    FillLanguageList(m_language);
    AutostartClick();
    SMSControlClick();
    QDialog::showEvent(event);
}

void TGenSettingsForm::AutostartClick() { HideToTrayCheck->setEnabled(AutostartCheck->isChecked()); }

void TGenSettingsForm::SMSControlClick()
{
    const bool on = SMSControlCheck->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *>{UsernameLabel, UsernameEdit, APIKeyLabel, APIKeyEdit,
                                                             CommandsLabel, CommandTable, FormatLabel,
                                                             AllowedSendersLabel, AllowedSendersEdit})
        control->setEnabled(on);
    TestConnectionButton->setEnabled(on && !m_testing);
}

void TGenSettingsForm::SelectFolderClick()
{
    const QString folder =
        Prompts().ChooseFolder(Translate(QStringLiteral("Select output directory")), OutputFolderEdit->text());
    if (!folder.isEmpty())
        OutputFolderEdit->setText(folder);
}

void TGenSettingsForm::OpenFolderClick()
{
    Prompts().OpenUrl(QUrl::fromLocalFile(OutputFolderEdit->text()).toString());
}

void TGenSettingsForm::HelpClick() { Prompts().OpenUrl(App().HelpPage + HelpTopic::SMSCommands); }

void TGenSettingsForm::CommandTableChanged()
{
    if (m_checkingCommands)
        return;
    m_checkingCommands = true;
    for (int row = 0; row < CommandRows; ++row) {
        QTableWidgetItem *item = CommandTable->item(row, CommandColumn);
        if (!item || !IsReservedWord(item->text()))
            continue;
        Prompts().Message(
            TPromptKind::Warning, ApplicationTitle,
            Translate(QStringLiteral("You cannot use the commands \"STOP\", \"STOPALL\", \"UNSUBSCRIBE\", \"END\", "
                                     "\"QUIT\" or \"CANCEL\", because they are reserved by TextMagic system, and is "
                                     "used to unsubscribe from sms.")));
        item->setText(QString());
    }
    m_checkingCommands = false;
}

void TGenSettingsForm::TestConnectionClick()
{
    if (m_testing)
        return;
    m_testing = true;
    TestConnectionButton->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The answer may take many seconds: the library is asked on a worker, the window stays responsive.
    // The account check consumes no inbound message, so a command that has just arrived is not lost.
    const QString userName = UsernameEdit->text(), apiKey = APIKeyEdit->text();
    RunInBackground<TSMSLibraryResult>(
        this, [userName, apiKey] { return CallCheckSMSAccount(userName, apiKey, 50); },
        [this](TSMSLibraryResult result) { ConnectionTestFinished(result); });
}

void TGenSettingsForm::ConnectionTestFinished(const TSMSLibraryResult &result)
{
    m_testing = false;
    QGuiApplication::restoreOverrideCursor();
    SMSControlClick();
    if (result.Value == 1)
        Prompts().Message(TPromptKind::Information, ApplicationTitle, Translate(QStringLiteral("Connected successfully!")));
    else
        Prompts().Message(TPromptKind::Error, ApplicationTitle,
                          Translate(QStringLiteral("Failed to connect to your account on TextMagic, and to receive "
                                                   "inbound sms."))
                              + u' ' + result.Text);
}

void TGenSettingsForm::OKClick()
{
    m_confirmed = true;
    accept();
}

void TGenSettingsForm::CancelClick() { reject(); }
