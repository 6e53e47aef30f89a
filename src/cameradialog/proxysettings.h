#pragma once
// TProxyForm: the small "Proxy Settings" dialog of the camera dialog's email options. Its values belong to
// the camera being edited: the camera dialog prepares, loads and stores them. "OK" (or closing) only hides
// it; there is no cancel and no check here (the port is checked when the camera dialog is accepted).
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TProxyForm : public QDialog
{
    Q_OBJECT
public:
    explicit TProxyForm(QWidget *parent = nullptr);

    // Title, labels and the connection types through the translation table; the selection is kept.
    void SetCaptions();
    // Host, port and "Login to proxy:" with a SOCKS type; user name and password also need the login.
    void UpdateEnabling();
    // Shown modally from "Proxy Settings..."; captions are set anew each time.
    void ShowModal();

    QLabel *lblConnectionType;
    QComboBox *cmbConnectionType; // 0 direct, 1 SOCKS 4, 2 SOCKS 5
    QLabel *lblProxyHost;
    QLineEdit *edtProxyHost;
    QLabel *lblProxyPort;
    QLineEdit *edtProxyPort;
    QCheckBox *chtProxyAuthentication;
    QLabel *lblProxyUsername;
    QLineEdit *edtProxyUsername;
    QLabel *lblProxyPassword;
    QLineEdit *edtProxyPassword; // shown in plain characters
    QPushButton *btnOK;
};
