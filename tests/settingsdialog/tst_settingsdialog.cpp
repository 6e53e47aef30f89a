// The general settings dialog and the applying of its values: every field, Cancel, the language change
// with its restart question, the reserved command words, the enabling rules, the folder and help buttons,
// "Test Connection" off the user-interface thread, and the layout in every language.
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/timer.h"
#include "core/translation.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "settingsdialog/settings.h"
#include "settingsdialog/settingscommands.h"
#include "smscontrol/allowedsenders.h"
#include "testpaths.h"

#include "freshservices.h"
#include "sandboxhome.h"
#include "scriptedprompts.h"
#include "smsgatewayprocess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

struct TOverlayCounter : ICameraLifetime
{
    int overlays = 0;
    QWidget *CreateCameraGrid(QWidget *) override { return nullptr; }
    void LoadCameras() override {}
    void SaveCameras() override {}
    void UpdateTextOverlays() override { ++overlays; }
    void ReleaseCamera(TCamera &) override {}
    void ReleaseCameraGrid() override {}
    void ReconnectOnTimer() override {}
    void FullScreen() override {}
    void NextLayout() override {}
    void ApplyLayout(int, int) override {}
};

class TTestSettingsCommands : public TSettingsCommands
{
public:
    using TSettingsCommands::TSettingsCommands;
    int restarts = 0;

protected:
    bool StartNewInstance() override { return ++restarts, true; }
};

// The log lines (category ostrivo.log) without their date and time.
QStringList g_log;
void CaptureLog(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "ostrivo.log") == 0)
        g_log << message.mid(message.indexOf(" - ") + 3);
}

QByteArray FileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    QWidget window;
    TTimer reconnectTimer{3000, true};
    TOverlayCounter cameras;
    std::unique_ptr<TTestSettingsCommands> commands;
    std::unique_ptr<TScriptedPrompts> prompts;
    QString dataFolder;
    TSMSGateway gateway; // the account "owner" / "k3y", answering after a delay

    // Opens the dialog through the main window's operation; edit runs while it is shown, then closes it.
    void Open(const std::function<void(TGenSettingsForm &)> &edit)
    {
        bool ran = false;
        QTimer::singleShot(0, &window, [&] {
            TGenSettingsForm &form = commands->Form();
            QVERIFY(form.isVisible());
            edit(form);
            ran = true;
            if (form.isVisible())
                form.CancelButton->click();
        });
        commands->ToolButton5Click();
        QVERIFY(ran);
    }

    static void SetCommand(TGenSettingsForm &form, int row, const QString &word)
    {
        form.CommandTable->item(row, 1)->setText(word);
    }

private slots:
    void initTestCase()
    {
        qInstallMessageHandler(CaptureLog);
        QVERIFY(gateway.Start({"--user", "owner", "--key", "k3y"}));
        Services().ProgramFolder = TestBinDir(); // where the SMS library is
    }

    void init()
    {
        m_services.Renew();
        dataFolder = SandboxHome() + "/data";
        QDir(dataFolder).removeRecursively();
        QVERIFY(QDir().mkpath(dataFolder));
        App().DataFolder = dataFolder;
        App().DefaultOutputFolder = dataFolder + "/snapshots_video";
        App().HelpPage = "https://ostrivo.example/go/manual/ostrivo/";
        SetDefaultSettings();
        QVERIFY(SetAllowedSMSSenders({}));
        platform::RemoveRunAtLogon(ApplicationTitle);
        reconnectTimer.SetInterval(3000);
        reconnectTimer.SetEnabled(true);
        cameras.overlays = 0;
        prompts = std::make_unique<TScriptedPrompts>();
        commands = std::make_unique<TTestSettingsCommands>(window, reconnectTimer, cameras);
        g_log.clear();
    }
    void cleanup()
    {
        commands.reset();
        prompts.reset();
        m_services.End();
    }

    void okAppliesEveryValueInOrder()
    {
        const QString folder = SandboxHome() + "/elsewhere";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(App().DefaultOutputFolder));
        // An old recording in the new folder: the housekeeping after OK runs on the new values.
        const QString old = folder + "/Cam_000001.avi";
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
        file.close();
        prompts->folders << folder;

        Open([&](TGenSettingsForm &form) {
            form.SelectFolderButton->click();
            form.AutostartCheck->click();
            form.HideToTrayCheck->setChecked(false);
            form.MaximizeCheck->setChecked(true);
            form.ReconnectSpin->setValue(45);
            form.AutoDeleteSpin->setValue(2);
            form.DateTimeOverlayCheck->setChecked(false);
            form.TitleOverlayCheck->setChecked(true);
            form.DelaySpin->setValue(0);
            form.SMSControlCheck->click();
            form.UsernameEdit->setText("owner");
            form.APIKeyEdit->setText("k3y");
            SetCommand(form, 0, " Aus ");
            SetCommand(form, 1, "");
            SetCommand(form, 2, "Zustand");
            SetCommand(form, 3, "Foto");
            form.AllowedSendersEdit->setText(" +49 170 1234567 ; 0044 20 ,");
            form.OKButton->click();
        });

        const TGlobalSettings &s = App().GlobalSettings;
        QCOMPARE(s.OutputFolderForVideosAndSnapshots, folder);
        QVERIFY(s.AutostartWithWindows && !s.HideToTrayOnAutostart && s.MaximizeAppOnDetection);
        QCOMPARE(s.ReconnectionInterval_sec, 45);
        QCOMPARE(s.AutoDeleteOlderThen_Days, 2);
        QVERIFY(!s.DateTimeOverlay && s.CameraTitleOverlay);
        QCOMPARE(s.DelayBetweenEmailsAndSMS_min, 0);
        QVERIFY(s.SMS_ControlEnabled);
        QCOMPARE(s.SMS_Username, QString("owner"));
        QCOMPARE(s.SMS_APIKey, QString("k3y"));
        QCOMPARE(s.SMS_Command_DisableDetection, QString(" Aus ")); // exactly as typed
        QCOMPARE(s.SMS_Command_EnableDetection, QString());
        QCOMPARE(s.SMS_Command_CheckStatus, QString("Zustand"));
        QCOMPARE(s.SMS_Command_MakeSnapshot, QString("Foto"));

        QVERIFY(!QFile::exists(old)); // housekeeping ran with the new folder and days
        QVERIFY(reconnectTimer.Enabled());
        QCOMPARE(reconnectTimer.Interval(), 45000);
        QVERIFY(FileContent(platform::RunAtLogonLocation(ApplicationTitle)).contains("Exec="));
        QVERIFY(!FileContent(platform::RunAtLogonLocation(ApplicationTitle)).contains("/hide"));
        TGlobalSettings stored;
        QVERIFY(DecodeSettings(FileContent(SettingsFilePath()), stored));
        QCOMPARE(stored, s);
        QCOMPARE(AllowedSMSSenders(), (QStringList{"+49 170 1234567", "0044 20"}));
        QCOMPARE(cameras.overlays, 1);
        for (const TScriptedPrompts::Entry &entry : prompts->log)
            QVERIFY2(entry.call != "Ask", "no restart question without a language change");
        QCOMPARE(g_log, QStringList{"General settings are changed."});
        QCOMPARE(commands->restarts, 0);
    }

    void cancelChangesNothing()
    {
        QVERIFY(SetAllowedSMSSenders({"+1 555"}));
        const TGlobalSettings before = App().GlobalSettings;
        prompts->folders << SandboxHome();
        bool closed = false;
        Open([&](TGenSettingsForm &form) {
            form.SelectFolderButton->click();
            form.LanguageBox->setCurrentIndex(4);
            form.AutostartCheck->click();
            form.ReconnectCheck->setChecked(false);
            form.ReconnectSpin->setValue(99);
            form.SMSControlCheck->click();
            form.UsernameEdit->setText("x");
            SetCommand(form, 0, "AUS");
            form.AllowedSendersEdit->clear();
            form.CancelButton->click();
            closed = !form.isVisible();
        });
        QVERIFY(closed);
        QCOMPARE(App().GlobalSettings, before);
        QVERIFY(!QFile::exists(SettingsFilePath()));
        QVERIFY(!QFile::exists(platform::RunAtLogonLocation(ApplicationTitle)));
        QVERIFY(reconnectTimer.Enabled());
        QCOMPARE(reconnectTimer.Interval(), 3000);
        QCOMPARE(AllowedSMSSenders(), QStringList{"+1 555"});
        QCOMPARE(cameras.overlays, 0);
        QVERIFY(g_log.isEmpty());

        // The window's close box is a Cancel as well; the dialog shows the stored values again next time.
        Open([&](TGenSettingsForm &form) {
            QCOMPARE(form.CommandTable->item(0, 1)->text(), QString("OFF"));
            QCOMPARE(form.LanguageBox->currentIndex(), 0);
            QCOMPARE(form.AllowedSendersEdit->text(), QString("+1 555"));
            form.AutostartCheck->click();
            form.close();
        });
        QCOMPARE(App().GlobalSettings, before);
    }

    void languageChangeAsksToRestart_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No keeps running") << false;
        QTest::newRow("Yes restarts") << true;
    }
    void languageChangeAsksToRestart()
    {
        QFETCH(bool, yes);
        prompts->answers << yes;
        Open([](TGenSettingsForm &form) {
            form.LanguageBox->setCurrentIndex(4);
            form.OKButton->click();
        });
        QCOMPARE(App().GlobalSettings.Language, 4);
        TGlobalSettings stored;
        QVERIFY(DecodeSettings(FileContent(SettingsFilePath()), stored));
        QCOMPARE(stored.Language, 4);
        QCOMPARE(prompts->log.size(), 1);
        QCOMPARE(prompts->log[0].call, QString("Ask"));
        QCOMPARE(prompts->log[0].text,
                 QString("In order to change the language the program should be restarted.\nRestart it now?"));
        QCOMPARE(commands->restarts, yes ? 1 : 0);
        QCOMPARE(App().QuitImmediately, yes);
        QCOMPARE(g_log, QStringList{"General settings are changed."}); // also after a restart request
    }

    void reservedCommandWordsAreRefused()
    {
        Open([&](TGenSettingsForm &form) {
            SetCommand(form, 1, " Stop ");
            QCOMPARE(form.CommandTable->item(1, 1)->text(), QString());
            QCOMPARE(prompts->log.size(), 1);
            QCOMPARE(prompts->log[0].kind, TPromptKind::Warning);
            QVERIFY(prompts->log[0].text.startsWith("You cannot use the commands \"STOP\""));
            for (const QString word : {"stopped", "ends", "OFF"}) {
                SetCommand(form, 2, word);
                QCOMPARE(form.CommandTable->item(2, 1)->text(), word);
            }
            for (const QString word : {"STOPALL", "unsubscribe", "Quit", "cancel", "END"}) {
                SetCommand(form, 3, word);
                QCOMPARE(form.CommandTable->item(3, 1)->text(), QString());
            }
            QCOMPARE(prompts->log.size(), 6);
            QCOMPARE(form.CommandTable->item(0, 1)->text(), QString("OFF")); // other rows untouched
            QVERIFY(!(form.CommandTable->item(0, 0)->flags() & Qt::ItemIsEditable));
        });
    }

    void enablingRules()
    {
        App().GlobalSettings.SMS_Username = "owner";
        Open([&](TGenSettingsForm &form) {
            QVERIFY(!form.AutostartCheck->isChecked() && !form.HideToTrayCheck->isEnabled());
            form.AutostartCheck->click();
            QVERIFY(form.HideToTrayCheck->isEnabled());
            QVERIFY(!form.SMSControlCheck->isChecked());
            for (QWidget *w : std::initializer_list<QWidget *>{form.UsernameEdit, form.APIKeyEdit, form.CommandTable,
                                                               form.TestConnectionButton, form.FormatLabel,
                                                               form.AllowedSendersEdit})
                QVERIFY(!w->isEnabled());
            QVERIFY(form.HelpButton->isEnabled());
            form.SMSControlCheck->click();
            QVERIFY(form.CommandTable->isEnabled() && form.TestConnectionButton->isEnabled());
            form.SMSControlCheck->click();
            form.OKButton->click();
        });
        // Disabled controls keep their values and write them back.
        QCOMPARE(App().GlobalSettings.SMS_Username, QString("owner"));
        QCOMPARE(App().GlobalSettings.SMS_Command_DisableDetection, QString("OFF"));
    }

    void folderAndHelpButtons()
    {
        const QString stored = App().GlobalSettings.OutputFolderForVideosAndSnapshots;
        Open([&](TGenSettingsForm &form) {
            form.SelectFolderButton->click(); // cancelled choice: the field stays
            QCOMPARE(form.OutputFolderEdit->text(), stored);
            QCOMPARE(prompts->log.last().title, QString("Select output directory"));
            QCOMPARE(prompts->log.last().text, stored);
            form.OpenFolderButton->click();
            QCOMPARE(prompts->log.last().call, QString("OpenUrl"));
            QCOMPARE(QUrl(prompts->log.last().text).toLocalFile(), stored);
            form.HelpButton->click();
            QCOMPARE(prompts->log.last().text, QString("https://ostrivo.example/go/manual/ostrivo/?smscommands.html"));
        });
        QCOMPARE(App().GlobalSettings.OutputFolderForVideosAndSnapshots, stored);
    }

    // The account is asked on a worker through the real library: the window stays responsive, the test
    // cannot be started twice, and an inbound command waiting at the gateway is not consumed.
    void testConnection_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("right key") << "k3y" << int(TPromptKind::Information) << "Connected successfully!";
        QTest::newRow("wrong key") << "nope" << int(TPromptKind::Error)
                                   << "Failed to connect to your account on TextMagic, and to receive inbound sms. "
                                      "Invalid username or API key";
    }
    void testConnection()
    {
        QFETCH(QString, key);
        QFETCH(int, kind);
        QFETCH(QString, shown);
        gateway.Reset();
        gateway.QueueInbound({QJsonObject{{"text", "OFF"}, {"sender", "491701234567"}}});
        gateway.SetMode({{"delayMs", 1500}});
        TGenSettingsForm form;
        form.LoadFrom(App().GlobalSettings, {});
        form.show();
        form.SMSControlCheck->click();
        form.UsernameEdit->setText("owner");
        form.APIKeyEdit->setText(key);
        QElapsedTimer clock;
        clock.start();
        form.TestConnectionButton->click();
        QVERIFY(clock.elapsed() < 500);
        QVERIFY(form.IsTestingConnection() && !form.TestConnectionButton->isEnabled());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        form.TestConnectionButton->click(); // refused while the first one waits
        bool eventsServed = false;
        QTimer::singleShot(100, [&] { eventsServed = true; });
        QTRY_VERIFY_WITH_TIMEOUT(eventsServed, 1000);
        QVERIFY(form.IsTestingConnection() && prompts->log.isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(!form.IsTestingConnection(), 15000);
        QVERIFY(form.TestConnectionButton->isEnabled());
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(prompts->log.size(), 1);
        QCOMPARE(int(prompts->log[0].kind), kind);
        QCOMPARE(prompts->log[0].text, shown);
        QCOMPARE(gateway.Inbound().size(), 1); // the waiting command is still there
        int accountRequests = 0;
        for (const QJsonValue &request : gateway.Requests())
            accountRequests += request["path"].toString().startsWith("/api/v2/user");
        QCOMPARE(accountRequests, 1);
        QCOMPARE(App().GlobalSettings.SMS_Username, QString()); // nothing saved
    }

    // In every language each caption fits its control and no two controls of a page overlap. With
    // OSTRIVO_SHOTS set, the pages are saved there as pictures.
    void everyLanguageFits()
    {
        LoadTranslationTable(SourceTreeFile(QStringLiteral("data/transl.dt")));
        QVERIFY(!TranslationTable().IsEmpty());
        const QString shots = qEnvironmentVariable("OSTRIVO_SHOTS");
        for (int language = 0; language < 5; ++language) {
            App().GlobalSettings.Language = language;
            App().GlobalSettings.SMS_ControlEnabled = true;
            App().GlobalSettings.SMS_Username = "owner";
            App().GlobalSettings.SMS_APIKey = "9f8e7d6c5b4a";
            TGenSettingsForm form(&window);
            form.LoadFrom(App().GlobalSettings, {"+49 170 1234567"});
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form) || QGuiApplication::platformName() == "offscreen");
            for (int page = 0; page < 2; ++page) {
                form.PageControl1->setCurrentIndex(page);
                QCoreApplication::processEvents();
                QWidget *current = form.PageControl1->currentWidget();
                QList<QWidget *> shownControls;
                for (QWidget *w : current->findChildren<QWidget *>()) {
                    if (!w->isVisible() || w->parentWidget() != current)
                        continue;
                    shownControls << w;
                    const QString what = QString("%1 page %2: %3 \"%4\"")
                                             .arg(LanguageCode(language)).arg(page).arg(w->metaObject()->className(),
                                                                                       w->property("text").toString());
                    if (qobject_cast<QLabel *>(w) && qobject_cast<QLabel *>(w)->wordWrap())
                        QVERIFY2(w->height() >= w->heightForWidth(w->width()), qPrintable(what + " is cut off"));
                    else if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w))
                        QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(what + " is cut off"));
                }
                for (QWidget *a : shownControls)
                    for (QWidget *b : shownControls)
                        if (a < b)
                            QVERIFY2(!a->geometry().intersects(b->geometry()),
                                     qPrintable(QString("%1 page %2: %3 overlaps %4")
                                                    .arg(LanguageCode(language)).arg(page)
                                                    .arg(a->property("text").toString(), b->property("text").toString())));
                if (!shots.isEmpty())
                    form.grab().save(QString("%1/settings-%2-page%3.png").arg(shots, LanguageCode(language)).arg(page + 1));
            }
            QVERIFY(form.width() <= 1280 && form.height() <= 800);
        }
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
