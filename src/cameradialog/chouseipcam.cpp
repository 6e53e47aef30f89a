#include "cameradialog/chouseipcam.h"

#include "core/translation.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TChooseIPCamForm::TChooseIPCamForm(QWidget *parent) : QDialog(parent)
{
    setModal(true);
    Label1 = new QLabel(this);
    ListBox1 = new QListWidget(this);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    Button1 = new QPushButton(this);
    Button2 = new QPushButton(this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TChooseIPCamForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TChooseIPCamForm::Button2Click);
    // A double click on a line chooses it, like selecting it and pressing "OK".
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TChooseIPCamForm::Button1Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListBox1, 1);
    layout->addLayout(buttons);
    setFixedSize(440, 260);
}

int TChooseIPCamForm::ShowModal()
{
    exec();
    return Tag;
}

void TChooseIPCamForm::showEvent(QShowEvent *event)
{
    setWindowTitle(Translate(QStringLiteral("Choose IP Camera")));
    Label1->setText(QStringLiteral(" ") + Translate(QStringLiteral("Choose IP Camera from the list below:")));
    Button1->setText(Translate(QStringLiteral("OK")));
    Button2->setText(Translate(QStringLiteral("Cancel")));
    Tag = -1;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TChooseIPCamForm::Button1Click()
{
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    Tag = selected.isEmpty() ? -1 : ListBox1->row(selected.first());
    accept();
}

void TChooseIPCamForm::Button2Click()
{
    Tag = -1;
    reject();
}
