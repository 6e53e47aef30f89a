#pragma once
// TMainForm: the main window. Its Startup() is the program's start-up sequence; closing it runs the close
// question and the shutdown sequence. The subsystems plug in through the interfaces of core/subsystems.h.
#include "core/camera.h"
#include "core/subsystems.h"
#include "core/windowsink.h"
#include "runtime/monitoring.h"

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <array>
#include <optional>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;
class QVBoxLayout;
class TAboutBox;
class TTimer;

struct TMainFormOptions
{
    bool Hide = false;     // started with the "hide" switch
    QString AppDataFolder; // where DataFolder is made; empty: the system's application-data folder
};

// A camera grid layout offered by the "Camera Layout" drop-down.
struct TCameraLayout
{
    int Columns;
    int Rows;
};
inline constexpr std::array<TCameraLayout, 13> CameraLayouts = {{{2, 2}, {3, 2}, {3, 3}, {4, 3}, {4, 4}, {5, 4},
                                                                 {5, 5}, {6, 5}, {6, 6}, {7, 6}, {7, 7}, {8, 7},
                                                                 {8, 8}}};

class TMainForm : public QMainWindow, public TMainWindowSink
{
    Q_OBJECT
public:
    // The message log keeps this many of the newest lines.
    static constexpr int MaxLogLines = 10000;

    explicit TMainForm(const TMainFormOptions &options = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    // The start-up sequence. False when a close request during it ended the program: then nothing was
    // written, no window is shown and the caller ends the process.
    bool Startup();
    bool IsStarting() const { return m_starting; }
    // The window was closed for good (Ended was emitted).
    bool HasEnded() const { return m_ended; }

    // Plugs the subsystems in; call once, before Startup(). Until then commands do nothing.
    void Plug(const TMainFormSubsystems &subsystems);
    bool IsPlugged() const { return m_subsystems.has_value(); }

    // The middle area: the camera grid goes here (owned by the window; a previous one is deleted).
    void SetCameraGrid(QWidget *grid);
    QWidget *CameraGridWidget() const { return m_grid; }

    // A toolbar picture from the icons folder of the program's data files (DataFilesFolder() of core/services.h) (icons/<name>.svg or .png); null when absent.
    QIcon LoadIcon(const QString &name) const;

    // Commands.
    void ToolButton10Click();                 // add a camera
    void ToolButton1Click();                  // remove the selected camera
    void ToolButton2Click();                  // edit the selected camera
    void ToolButton3Click();                  // monitoring button
    void RightNow1Click(int delaySeconds);    // start monitoring on the selected camera
    void RightNow2Click(int delaySeconds);    // start monitoring on all cameras
    void StopDetectorsTimers1Click();
    void ToolButton4Click();                  // full screen
    void ToolButton9Click();                  // next layout
    void N2Cells1Click(int columns, int rows); // a chosen layout
    void ToolButton5Click();                  // general settings
    void OpenHelpPage();
    void OpenSupportPage();
    void ShowAboutBox();
    void MinimizeToTray();
    void OpenFromTray();                      // tray icon click and its "Open"
    void ExitCommand();                       // both "Exit" commands: QuitImmediately, then close

    // Closes the window as the close box does; false when the close was cancelled (the window went to
    // the tray instead). During start-up the request ends start-up.
    bool RequestClose();
    // A termination request of the system: closes like the close box with the window hidden. Open modal
    // dialogs are ended first and the close follows once their loops have returned.
    void SystemCloseRequest();

    // Timer handlers (public so that tests and later code can call them directly).
    void Timer1OnTimer();
    void ReconnectTimerOnTimer();
    void SMSCommanderTimerOnTimer();
    void TerminatorOnTimer();

    // TMainWindowSink
    void AppendLogLine(const QString &line) override;
    bool IsMainWindowShowing() const override;
    bool IsTrayIconVisible() const override;
    void ShowTrayBalloon(const QString &title, const QString &text, TBalloonIcon icon, int timeoutMs) override;
    void CloseMainWindow() override;

    TTimer *Terminator;
    TTimer *Timer1;
    TTimer *ReconnectTimer;
    TTimer *SMSCommanderTimer;

    QToolBar *ToolBar1;
    QToolButton *ToolButton10; // Add Camera
    QToolButton *ToolButton1;  // Remove
    QToolButton *ToolButton2;  // Edit
    QToolButton *ToolButton3;  // Start Monitoring, with its drop-down
    QToolButton *ToolButton4;  // Full Screen
    QToolButton *ToolButton9;  // Camera Layout, with its drop-down
    QToolButton *ToolButton5;  // Settings
    QToolButton *ToolButtonHelp;

    QMenu *FileMenu, *EditMenu, *ToolsMenu, *HelpMenu;
    QAction *NewCamera1, *MinimizeToTray1, *Exit1;
    QAction *Remove1, *Edit1;
    QAction *GeneralSettings1;
    QAction *OstrivoHelp1, *Support1, *AboutOstrivo1;

    QMenu *MonitoringMenu;
    QMenu *StartWithSelectedCamera1, *StartWithAllCameras1;
    QAction *StopDetectorsTimers1;
    QMenu *LayoutMenu;

    QLabel *MessagesHeader;
    QListWidget *MsgBox;
    QSplitter *Splitter1;

    QSystemTrayIcon *TrayIcon1;
    QMenu *TrayMenu;
    QAction *Open1, *Exit2;

signals:
    // The window closed for good: the application ends.
    void Ended();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QToolButton *AddToolButton(const QString &iconName);
    void BuildToolbarAndMenus();
    void BuildMessageArea();
    void SetCaptions();
    void RunShutdownSequence();
    void ReleaseEverything();
    void CloseModalDialogs();

    TMainFormOptions m_options;
    std::optional<TMainFormSubsystems> m_subsystems;
    QWidget *m_cameraArea;
    QVBoxLayout *m_cameraAreaLayout;
    QWidget *m_grid = nullptr;
    TAboutBox *m_about = nullptr;
    bool m_starting = false;
    bool m_startupAborted = false;
    bool m_closing = false;
    bool m_ended = false;
    int m_modalRetries = 0;
};
