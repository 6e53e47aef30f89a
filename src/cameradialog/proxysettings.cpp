#include "cameradialog/proxysettings.h"

#include "core/translation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TProxyForm::TProxyForm(QWidget *parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *grid = new QGridLayout;
    lblConnectionType = new QLabel(this);
    cmbConnectionType = new QComboBox(this);
    cmbConnectionType->addItems({QString(), QString(), QString()});
    lblProxyHost = new QLabel(this);
    edtProxyHost = new QLineEdit(this);
    lblProxyPort = new QLabel(this);
    edtProxyPort = new QLineEdit(this);
    edtProxyPort->setMaxLength(10);
    chtProxyAuthentication = new QCheckBox(this);
    lblProxyUsername = new QLabel(this);
    edtProxyUsername = new QLineEdit(this);
    lblProxyPassword = new QLabel(this);
    edtProxyPassword = new QLineEdit(this);
    int row = 0;
    for (auto [label, field] : {std::pair<QLabel *, QWidget *>{lblConnectionType, cmbConnectionType},
                                {lblProxyHost, edtProxyHost}, {lblProxyPort, edtProxyPort}}) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
        label->setBuddy(field);
    }
    grid->addWidget(chtProxyAuthentication, row++, 0, 1, 2);
    for (auto [label, field] : {std::pair<QLabel *, QWidget *>{lblProxyUsername, edtProxyUsername},
                                {lblProxyPassword, edtProxyPassword}}) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
        label->setBuddy(field);
    }
    grid->setColumnMinimumWidth(1, 200);

    btnOK = new QPushButton(this);
    btnOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(cmbConnectionType, &QComboBox::currentIndexChanged, this, &TProxyForm::UpdateEnabling);
    connect(chtProxyAuthentication, &QCheckBox::toggled, this, &TProxyForm::UpdateEnabling);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    SetCaptions();
    UpdateEnabling();
}

void TProxyForm::SetCaptions()
{
    setWindowTitle(Translate(QStringLiteral("Proxy Settings")));
    lblConnectionType->setText(Translate(QStringLiteral("Connection type:")));
    lblProxyHost->setText(Translate(QStringLiteral("Proxy Host:")));
    lblProxyPort->setText(Translate(QStringLiteral("Proxy Port:")));
    chtProxyAuthentication->setText(Translate(QStringLiteral("Login to proxy:")));
    lblProxyUsername->setText(Translate(QStringLiteral("User Name:")));
    lblProxyPassword->setText(Translate(QStringLiteral("Password:")));
    btnOK->setText(Translate(QStringLiteral("OK")));
    const char *const types[3] = {"Direct connection", "Proxy Socks 4", "Proxy Socks 5"};
    for (int i = 0; i < 3; ++i)
        cmbConnectionType->setItemText(i, Translate(QLatin1String(types[i])));
}

void TProxyForm::UpdateEnabling()
{
    const bool socks = cmbConnectionType->currentIndex() > 0;
    for (QWidget *w : {static_cast<QWidget *>(lblProxyHost), static_cast<QWidget *>(edtProxyHost),
                       static_cast<QWidget *>(lblProxyPort), static_cast<QWidget *>(edtProxyPort),
                       static_cast<QWidget *>(chtProxyAuthentication)})
        w->setEnabled(socks);
    const bool login = socks && chtProxyAuthentication->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(lblProxyUsername), static_cast<QWidget *>(edtProxyUsername),
                       static_cast<QWidget *>(lblProxyPassword), static_cast<QWidget *>(edtProxyPassword)})
        w->setEnabled(login);
}

void TProxyForm::ShowModal()
{
    SetCaptions();
    adjustSize();
    setFixedSize(sizeHint());
    exec();
}
