#include "mainwindow/aboutbox.h"

#include "core/main.h"
#include "core/translation.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("About")));
    TitleLabel = new QLabel(ApplicationTitle, this);
    QFont title = TitleLabel->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.5);
    TitleLabel->setFont(title);
    VersionLabel = new QLabel(Translate(QStringLiteral("Version ")) + QStringLiteral(OSTRIVO_VERSION), this);
    CloseButton = new QPushButton(Translate(QStringLiteral("Close")), this);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TitleLabel, 0, Qt::AlignHCenter);
    layout->addWidget(VersionLabel, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(CloseButton, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
