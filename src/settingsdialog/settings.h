#pragma once
// TGenSettingsForm: the general settings dialog, with the pages "General" and "SMS Commands". It only
// shows and edits values: TSettingsCommands (settingscommands.h) fills it from the settings, shows it and
// applies what it holds when it was closed with OK.
#include "core/settings.h"
#include "notify/smslibrary.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QToolButton;

class TGenSettingsForm : public QDialog
{
    Q_OBJECT
public:
    // The reserved words of the SMS gateway service (unsubscribing); never command words.
    static const QStringList ReservedWords;
    static bool IsReservedWord(const QString &command);

    explicit TGenSettingsForm(QWidget *parent = nullptr);
    ~TGenSettingsForm() override;

    // Every control from the settings and the allowed sender numbers; the first page shown.
    void LoadFrom(const TGlobalSettings &settings, const QStringList &allowedSenders);
    // Every control back into the settings (command words exactly as typed, the folder as shown).
    void StoreInto(TGlobalSettings &settings) const;
    QStringList AllowedSenders() const;
    int SelectedLanguage() const;
    // Closed with OK.
    bool Confirmed() const { return m_confirmed; }
    // A connection test is waiting for its answer.
    bool IsTestingConnection() const { return m_testing; }

    // Handlers.
    void AutostartClick();         // "Run Ostrivo when Windows starts"
    void SMSControlClick();        // the SMS check box
    void SelectFolderClick();      // "..."
    void OpenFolderClick();
    void HelpClick();
    void TestConnectionClick();
    void CommandTableChanged();
    void OKClick();
    void CancelClick();

    QTabWidget *PageControl1;
    QWidget *GeneralPage, *SMSPage;
    QLabel *OutputFolderLabel;
    QLineEdit *OutputFolderEdit;
    QToolButton *SelectFolderButton, *OpenFolderButton;
    QLabel *LanguageLabel;
    QComboBox *LanguageBox;
    QCheckBox *AutostartCheck, *HideToTrayCheck, *MaximizeCheck;
    QCheckBox *ReconnectCheck;
    QSpinBox *ReconnectSpin;
    QLabel *SecondsLabel;
    QCheckBox *AutoDeleteCheck;
    QSpinBox *AutoDeleteSpin;
    QLabel *DaysLabel;
    QCheckBox *DateTimeOverlayCheck, *TitleOverlayCheck;
    QLabel *DelayLabel;
    QSpinBox *DelaySpin;
    QLabel *MinutesLabel;

    QCheckBox *SMSControlCheck;
    QLabel *UsernameLabel, *APIKeyLabel;
    QLineEdit *UsernameEdit, *APIKeyEdit;
    QPushButton *TestConnectionButton;
    QLabel *CommandsLabel;
    QTableWidget *CommandTable;
    QLabel *FormatLabel;
    QLabel *AllowedSendersLabel;
    QLineEdit *AllowedSendersEdit;
    QPushButton *HelpButton;

    QPushButton *OKButton, *CancelButton;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *BuildGeneralPage();
    QWidget *BuildSMSPage();
    void FillLanguageList(int selected);
    void ConnectionTestFinished(const TSMSLibraryResult &result);

    int m_language = 0;
    bool m_confirmed = false;
    bool m_testing = false;
    bool m_checkingCommands = false;
};
