#include "mainwindow/mainform.h"

#include "core/cameratimers.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/startup.h"
#include "core/timer.h"
#include "core/translation.h"
#include "mainwindow/aboutbox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int MessageAreaHeight = 117;
constexpr int MessageHeaderHeight = 16;
constexpr int MessageRowHeight = 24;
constexpr int ToolButtonWidth = 92;
constexpr int ToolButtonHeight = 60;

// Thrown inside the shutdown sequence when termination was requested while a drain was still waiting:
// what a busy handler may still use is then left alone.
struct TTerminationRequested
{
};

void StopIfTerminationRequested()
{
    if (TerminationRequested())
        throw TTerminationRequested();
}

// The picture used for the window and the tray when the program's icons folder has none.
QIcon FallbackApplicationIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2b, 0x4c, 0x7e));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 7, 28, 20, 4, 4);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(16, 17), 7, 7);
    painter.setBrush(QColor(0x10, 0x10, 0x10));
    painter.drawEllipse(QPointF(16, 17), 4, 4);
    return QIcon(pixmap);
}

QSystemTrayIcon::MessageIcon TrayIcon(TBalloonIcon icon)
{
    switch (icon) {
    case TBalloonIcon::Information: return QSystemTrayIcon::Information;
    case TBalloonIcon::Warning: return QSystemTrayIcon::Warning;
    case TBalloonIcon::Error: return QSystemTrayIcon::Critical;
    case TBalloonIcon::None: break;
    }
    return QSystemTrayIcon::NoIcon;
}

} // namespace

TMainForm::TMainForm(const TMainFormOptions &options, QWidget *parent)
    : QMainWindow(parent), m_options(options)
{
    Terminator = new TTimer(16000, false, this);
    Timer1 = new TTimer(18000000, true, this);
    ReconnectTimer = new TTimer(3000, false, this);
    SMSCommanderTimer = new TTimer(30000, false, this);
    Terminator->OnTimer = [this](TTimer *) { TerminatorOnTimer(); };
    Timer1->OnTimer = [this](TTimer *) { Timer1OnTimer(); };
    ReconnectTimer->OnTimer = [this](TTimer *) { ReconnectTimerOnTimer(); };
    SMSCommanderTimer->OnTimer = [this](TTimer *) { SMSCommanderTimerOnTimer(); };
    SetShutdownMarker(Terminator);

    const QIcon appIcon = LoadIcon(QStringLiteral("ostrivo"));
    setWindowIcon(appIcon.isNull() ? FallbackApplicationIcon() : appIcon);
    setWindowTitle(ApplicationTitle);

    BuildToolbarAndMenus();
    BuildMessageArea();
    statusBar();

    TrayMenu = new QMenu(this);
    Open1 = TrayMenu->addAction(QString(), this, &TMainForm::OpenFromTray);
    Exit2 = TrayMenu->addAction(QString(), this, &TMainForm::ExitCommand);
    TrayIcon1 = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon1->setToolTip(ApplicationTitle);
    TrayIcon1->setContextMenu(TrayMenu);
    connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            OpenFromTray();
    });

    SetCaptions();
    SetMainWindowSink(this);
}

TMainForm::~TMainForm()
{
    if (MainWindowSink() == this)
        SetMainWindowSink(nullptr);
    SetShutdownMarker(nullptr);
}

QIcon TMainForm::LoadIcon(const QString &name) const
{
    for (const char *suffix : {".svg", ".png"}) {
        const QString path = DataFilesFolder() + QStringLiteral("/icons/") + name + QLatin1String(suffix);
        if (QFileInfo::exists(path)) {
            QIcon icon(path);
            if (!icon.availableSizes().isEmpty() || !icon.pixmap(32, 32).isNull())
                return icon;
        }
    }
    return QIcon();
}

QToolButton *TMainForm::AddToolButton(const QString &iconName)
{
    auto *button = new QToolButton(ToolBar1);
    button->setFixedSize(ToolButtonWidth, ToolButtonHeight);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIcon(LoadIcon(iconName));
    ToolBar1->addWidget(button);
    return button;
}

void TMainForm::BuildToolbarAndMenus()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(32, 32));

    ToolButton10 = AddToolButton(QStringLiteral("add-camera"));
    ToolButton1 = AddToolButton(QStringLiteral("remove-camera"));
    ToolButton2 = AddToolButton(QStringLiteral("edit-camera"));
    ToolButton3 = AddToolButton(QStringLiteral("monitoring-start"));
    ToolButton4 = AddToolButton(QStringLiteral("fullscreen"));
    ToolButton9 = AddToolButton(QStringLiteral("camera-layout"));
    ToolButton5 = AddToolButton(QStringLiteral("settings"));
    ToolButtonHelp = AddToolButton(QStringLiteral("help"));
    connect(ToolButton10, &QToolButton::clicked, this, &TMainForm::ToolButton10Click);
    connect(ToolButton1, &QToolButton::clicked, this, &TMainForm::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TMainForm::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TMainForm::ToolButton3Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TMainForm::ToolButton4Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TMainForm::ToolButton9Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TMainForm::ToolButton5Click);
    connect(ToolButtonHelp, &QToolButton::clicked, this, &TMainForm::OpenHelpPage);

    MonitoringMenu = new QMenu(this);
    StartWithSelectedCamera1 = MonitoringMenu->addMenu(QString());
    StartWithAllCameras1 = MonitoringMenu->addMenu(QString());
    for (const TMonitoringDelay &delay : MonitoringDelays) {
        const int seconds = delay.Seconds;
        StartWithSelectedCamera1->addAction(QString(), this, [this, seconds] { RightNow1Click(seconds); });
        StartWithAllCameras1->addAction(QString(), this, [this, seconds] { RightNow2Click(seconds); });
    }
    StopDetectorsTimers1 = MonitoringMenu->addAction(QString(), this, &TMainForm::StopDetectorsTimers1Click);
    ToolButton3->setMenu(MonitoringMenu);
    ToolButton3->setPopupMode(QToolButton::MenuButtonPopup);

    LayoutMenu = new QMenu(this);
    for (const TCameraLayout &layout : CameraLayouts) {
        const QString caption = QStringLiteral("%1 x %2").arg(layout.Columns).arg(layout.Rows);
        LayoutMenu->addAction(caption, this, [this, layout] { N2Cells1Click(layout.Columns, layout.Rows); });
    }
    ToolButton9->setMenu(LayoutMenu);
    ToolButton9->setPopupMode(QToolButton::MenuButtonPopup);

    FileMenu = menuBar()->addMenu(QString());
    NewCamera1 = FileMenu->addAction(QString(), this, &TMainForm::ToolButton10Click);
    MinimizeToTray1 = FileMenu->addAction(QString(), this, &TMainForm::MinimizeToTray);
    FileMenu->addSeparator();
    Exit1 = FileMenu->addAction(QString(), this, &TMainForm::ExitCommand);
    EditMenu = menuBar()->addMenu(QString());
    Remove1 = EditMenu->addAction(QString(), this, &TMainForm::ToolButton1Click);
    Edit1 = EditMenu->addAction(QString(), this, &TMainForm::ToolButton2Click);
    ToolsMenu = menuBar()->addMenu(QString());
    GeneralSettings1 = ToolsMenu->addAction(QString(), this, &TMainForm::ToolButton5Click);
    HelpMenu = menuBar()->addMenu(QString());
    OstrivoHelp1 = HelpMenu->addAction(QString(), this, &TMainForm::OpenHelpPage);
    Support1 = HelpMenu->addAction(QString(), this, &TMainForm::OpenSupportPage);
    HelpMenu->addSeparator();
    AboutOstrivo1 = HelpMenu->addAction(QString(), this, &TMainForm::ShowAboutBox);
}

void TMainForm::BuildMessageArea()
{
    m_cameraArea = new QWidget;
    m_cameraArea->setAutoFillBackground(true);
    QPalette black = m_cameraArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_cameraArea->setPalette(black);
    m_cameraAreaLayout = new QVBoxLayout(m_cameraArea);
    m_cameraAreaLayout->setContentsMargins(0, 0, 0, 0);
    m_cameraAreaLayout->setSpacing(0);

    auto *bottom = new QWidget;
    auto *bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(0);
    MessagesHeader = new QLabel(bottom);
    MessagesHeader->setFixedHeight(MessageHeaderHeight);
    MsgBox = new QListWidget(bottom);
    MsgBox->setUniformItemSizes(true);
    MsgBox->setSelectionMode(QAbstractItemView::SingleSelection);
    bottomLayout->addWidget(MessagesHeader);
    bottomLayout->addWidget(MsgBox);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(m_cameraArea);
    Splitter1->addWidget(bottom);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({600, MessageAreaHeight});
    setCentralWidget(Splitter1);
}

void TMainForm::SetCaptions()
{
    ToolButton10->setText(Translate(QStringLiteral("Add Camera")));
    ToolButton1->setText(Translate(QStringLiteral("Remove")));
    ToolButton2->setText(Translate(QStringLiteral("Edit")));
    ToolButton3->setText(Translate(QStringLiteral("Start Monitoring")));
    ToolButton4->setText(Translate(QStringLiteral("Full Screen")));
    ToolButton9->setText(Translate(QStringLiteral("Camera Layout")));
    ToolButton5->setText(Translate(QStringLiteral("Settings")));
    ToolButtonHelp->setText(Translate(QStringLiteral("Help")));

    StartWithSelectedCamera1->setTitle(Translate(QStringLiteral("Start with Selected Camera")));
    StartWithAllCameras1->setTitle(Translate(QStringLiteral("Start with All Cameras")));
    for (QMenu *menu : {StartWithSelectedCamera1, StartWithAllCameras1}) {
        const QList<QAction *> items = menu->actions();
        for (qsizetype i = 0; i < items.size(); ++i)
            items[i]->setText(Translate(QLatin1String(MonitoringDelays[size_t(i)].Caption)));
    }
    StopDetectorsTimers1->setText(Translate(QStringLiteral("Stop All Detectors && Timers")));

    FileMenu->setTitle(Translate(QStringLiteral("File")));
    NewCamera1->setText(Translate(QStringLiteral("New Camera...")));
    MinimizeToTray1->setText(Translate(QStringLiteral("Minimize to Tray")));
    Exit1->setText(Translate(QStringLiteral("Exit")));
    EditMenu->setTitle(Translate(QStringLiteral("Edit")));
    Remove1->setText(Translate(QStringLiteral("Remove")));
    Edit1->setText(Translate(QStringLiteral("Edit...")));
    ToolsMenu->setTitle(Translate(QStringLiteral("Tools")));
    GeneralSettings1->setText(Translate(QStringLiteral("General Settings")));
    HelpMenu->setTitle(Translate(QStringLiteral("Help")));
    OstrivoHelp1->setText(Translate(QStringLiteral("Ostrivo Help")));
    Support1->setText(Translate(QStringLiteral("Support")));
    AboutOstrivo1->setText(Translate(QStringLiteral("About Ostrivo...")));

    Open1->setText(Translate(QStringLiteral("Open")));
    Exit2->setText(Translate(QStringLiteral("Exit")));
    MessagesHeader->setText(QStringLiteral("  ") + Translate(QStringLiteral("Messages")));

    // No caption is cut: a button is widened to its caption, and its drop-down arrow, in the language in use.
    for (QToolButton *button : {ToolButton10, ToolButton1, ToolButton2, ToolButton3, ToolButton4, ToolButton9,
                                ToolButton5, ToolButtonHelp})
        button->setFixedWidth(std::max(ToolButtonWidth, button->sizeHint().width()));
}

void TMainForm::SetCameraGrid(QWidget *grid)
{
    if (grid == m_grid)
        return;
    delete m_grid;
    m_grid = grid;
    if (m_grid)
        m_cameraAreaLayout->addWidget(m_grid);
}

bool TMainForm::Startup()
{
    m_starting = true;
    m_startupAborted = false;
    TApplicationState &app = App();
    const auto finish = [this](bool started) {
        m_starting = false;
        return started;
    };

    app.Cameras.clear();
    LoadTranslationTable(TranslationFilePath());
    app.DefaultLanguage = StartupLanguageIndex();
    app.HideSwitch = m_options.Hide;
    if (!SetUpApplicationFolders(m_options.AppDataFolder) || m_startupAborted)
        return finish(false);
    if (!LoadSettings())
        SetDefaultSettings();
    if (m_startupAborted)
        return finish(false);
    BuildWebAddresses(app.GlobalSettings.Language);
    setWindowTitle(ApplicationTitle);
    SetCaptions();
    app.SelCamIndex = -1;
    app.MinTimeOfNextSoundAlarm = Now();
    Q_ASSERT_X(m_subsystems, "TMainForm::Startup", "Plug() the subsystems first");
    if (!m_subsystems)
        return finish(false);
    SetCameraGrid(m_subsystems->Cameras.CreateCameraGrid(m_cameraArea));
    app.MotionAlertText = Translate(QStringLiteral("Alert! Motion is detected!"));
    app.PressEscText = Translate(QStringLiteral("[Press ESC]"));
    m_subsystems->Cameras.LoadCameras();
    if (m_startupAborted)
        return finish(false);
    m_subsystems->Cameras.UpdateTextOverlays();
    if (app.GlobalSettings.AutoDeleteOldRecordings)
        m_subsystems->Monitoring.DeleteOldRecordings();
    if (m_startupAborted)
        return finish(false);
    if (m_options.Hide)
        TrayIcon1->show();
    AddLogLine(Translate(QStringLiteral("Ostrivo is started and configured")));
    ReconnectTimer->SetEnabled(true);
    SMSCommanderTimer->SetEnabled(true);
    return finish(true);
}

// --- commands -------------------------------------------------------------------------------------------

void TMainForm::Plug(const TMainFormSubsystems &subsystems) { m_subsystems.emplace(subsystems); }

// Commands that arrive before the subsystems are plugged in do nothing.
#define WITH_SUBSYSTEMS(call)                                                                                \
    do {                                                                                                       \
        if (m_subsystems)                                                                                      \
            m_subsystems->call;                                                                                \
    } while (false)

void TMainForm::ToolButton10Click() { WITH_SUBSYSTEMS(CameraList.AddCamera()); }
void TMainForm::ToolButton1Click() { WITH_SUBSYSTEMS(CameraList.RemoveCamera()); }
void TMainForm::ToolButton2Click() { WITH_SUBSYSTEMS(CameraList.EditCamera()); }
void TMainForm::ToolButton3Click() { WITH_SUBSYSTEMS(Monitoring.MonitoringButton()); }
void TMainForm::StopDetectorsTimers1Click() { WITH_SUBSYSTEMS(Monitoring.StopAllDetectors()); }
void TMainForm::ToolButton4Click() { WITH_SUBSYSTEMS(Cameras.FullScreen()); }
void TMainForm::ToolButton9Click() { WITH_SUBSYSTEMS(Cameras.NextLayout()); }
void TMainForm::ToolButton5Click() { WITH_SUBSYSTEMS(Settings.GeneralSettings()); }
void TMainForm::RightNow1Click(int delaySeconds) { WITH_SUBSYSTEMS(Monitoring.StartSelectedCamera(delaySeconds)); }
void TMainForm::RightNow2Click(int delaySeconds) { WITH_SUBSYSTEMS(Monitoring.StartAllCameras(delaySeconds)); }
void TMainForm::N2Cells1Click(int columns, int rows) { WITH_SUBSYSTEMS(Cameras.ApplyLayout(columns, rows)); }

void TMainForm::OpenHelpPage() { Prompts().OpenUrl(App().HelpPage); }

void TMainForm::OpenSupportPage() { Prompts().OpenUrl(App().SupportPage); }

void TMainForm::ShowAboutBox()
{
    if (!m_about)
        m_about = new TAboutBox(this);
    m_about->exec();
}

void TMainForm::MinimizeToTray()
{
    TrayIcon1->show();
    hide();
    TrayIcon1->showMessage(Translate(QStringLiteral("Ostrivo is here")),
                           Translate(QStringLiteral("Ostrivo is running. It's just minimized to tray.")),
                           QSystemTrayIcon::NoIcon, 1000);
}

void TMainForm::OpenFromTray()
{
    if (isVisible() || m_closing || m_ended)
        return;
    show();
    activateWindow();
}

void TMainForm::ExitCommand()
{
    App().QuitImmediately = true;
    RequestClose();
}

// --- closing and shutdown --------------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (RequestClose())
        event->accept();
    else
        event->ignore();
}

void TMainForm::SystemCloseRequest()
{
    // Inside a modal dialog's loop the code that opened the dialog still waits below us: end the dialogs and
    // close once their loops have returned, so that nothing is released under them.
    if (QApplication::activeModalWidget() && m_modalRetries < 40) {
        ++m_modalRetries;
        CloseModalDialogs();
        QTimer::singleShot(50, this, &TMainForm::SystemCloseRequest);
        return;
    }
    m_modalRetries = 0;
    hide();
    RequestClose();
}

void TMainForm::CloseModalDialogs()
{
    for (int guard = 0; guard < 64; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

void TMainForm::CloseMainWindow()
{
    // During start-up the close ends start-up at once. Otherwise the operation that asked for it (an error
    // reported in the middle of a command or a timer handler) finishes first and the window closes right
    // after: the shutdown then never frees what that operation still holds, nor waits for its busy flag.
    if (m_starting) {
        RequestClose();
        return;
    }
    QTimer::singleShot(0, this, [this] { RequestClose(); });
}

bool TMainForm::RequestClose()
{
    if (m_starting) {
        m_startupAborted = true;
        return true;
    }
    if (m_ended)
        return true;
    if (m_closing)
        return false; // the shutdown already under way finishes the close

    TApplicationState &app = App();
    if (isVisible() && TrayIcon1->isVisible() && !app.QuitImmediately) {
        const QString question =
            Translate(QStringLiteral("Minimize application to tray?")) + u'\n'
            + Translate(QStringLiteral("Click \"Yes to hide, or \"No\" to close."));
        const bool toTray = Prompts().Ask(TPromptKind::Confirmation, ApplicationTitle, question);
        if (m_ended || m_closing) // closed meanwhile, while the question was open
            return m_ended;
        if (toTray) {
            MinimizeToTray();
            return false;
        }
    }

    m_closing = true;
    if (!app.QuitImmediately)
        RunShutdownSequence();
    m_closing = false;
    m_ended = true;
    hide();
    emit Ended();
    return true;
}

void TMainForm::RunShutdownSequence()
{
    ClearTerminationRequest();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    hide();
    Terminator->SetEnabled(true);
    try {
        WITH_SUBSYSTEMS(Cameras.SaveCameras());
        ReleaseEverything();
    } catch (...) {
        // The remaining release steps are skipped; the program still ends.
    }
    QApplication::restoreOverrideCursor();
    Terminator->SetEnabled(false);
}

void TMainForm::ReleaseEverything()
{
    TApplicationState &app = App();
    WITH_SUBSYSTEMS(Monitoring.StopAudioPlayer());

    ReconnectTimer->SetEnabled(false);
    DrainBusyFlags({&ReconnectTimer->Tag});
    StopIfTerminationRequested();

    for (const auto &camera : app.Cameras) {
        DisableAndDrainCameraTimers(*camera);
        StopIfTerminationRequested();
        WITH_SUBSYSTEMS(Cameras.ReleaseCamera(*camera));
        FreeCameraTimers(*camera);
        camera->Email_InitialListOfSnapshots.clear();
        camera->scheduler_AdditionalDates.clear();
    }
    app.Cameras.clear();

    WITH_SUBSYSTEMS(CameraList.ReleaseCatalogue());
    WITH_SUBSYSTEMS(Cameras.ReleaseCameraGrid());
    SetCameraGrid(nullptr);
    WITH_SUBSYSTEMS(Mail.ReleaseMailComponents());
}

// --- timers ---------------------------------------------------------------------------------------------

void TMainForm::Timer1OnTimer()
{
    TBusyGuard busy(Timer1->Tag);
    if (!busy)
        return;
    if (App().GlobalSettings.AutoDeleteOldRecordings)
        WITH_SUBSYSTEMS(Monitoring.DeleteOldRecordings());
}

void TMainForm::ReconnectTimerOnTimer()
{
    TBusyGuard busy(ReconnectTimer->Tag);
    if (!busy)
        return;
    WITH_SUBSYSTEMS(Cameras.ReconnectOnTimer());
}

void TMainForm::SMSCommanderTimerOnTimer()
{
    TBusyGuard busy(SMSCommanderTimer->Tag);
    if (!busy)
        return;
    WITH_SUBSYSTEMS(SMSControl.SMSCommanderOnTimer());
}

void TMainForm::TerminatorOnTimer()
{
    // The shutdown has been waiting too long: stop waiting, and end the modal dialogs that keep handlers
    // from returning.
    RequestTermination();
    CloseModalDialogs();
}

// --- TMainWindowSink ------------------------------------------------------------------------------------

void TMainForm::AppendLogLine(const QString &line)
{
    // A program that runs for months keeps only the newest lines; the oldest leave first.
    while (MsgBox->count() >= MaxLogLines)
        delete MsgBox->takeItem(0);
    auto *item = new QListWidgetItem(line, MsgBox);
    item->setSizeHint(QSize(0, MessageRowHeight));
    MsgBox->setCurrentItem(item);
    MsgBox->scrollToItem(item);
}

bool TMainForm::IsMainWindowShowing() const { return isVisible(); }

bool TMainForm::IsTrayIconVisible() const { return TrayIcon1->isVisible(); }

void TMainForm::ShowTrayBalloon(const QString &title, const QString &text, TBalloonIcon icon, int timeoutMs)
{
    TrayIcon1->showMessage(title, text, TrayIcon(icon), timeoutMs);
}
