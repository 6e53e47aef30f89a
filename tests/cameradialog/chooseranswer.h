#pragma once
// The LAN camera chooser answered as a user would, whichever code shows it.
#include "cameradialog/chouseipcam.h"

#include <QApplication>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Answers the chooser whenever it shows: records its lines and picks a line (or cancels with -1).
class TChooserAnswer : public QObject
{
public:
    explicit TChooserAnswer(std::function<int(const QStringList &)> pick)
    {
        auto *poll = new QTimer(this);
        QObject::connect(poll, &QTimer::timeout, this, [this, pick] {
            auto *shown = qobject_cast<TChooseIPCamForm *>(QApplication::activeModalWidget());
            if (!shown || !shown->isVisible())
                return;
            TChooseIPCamForm &chooser = *shown;
            QStringList lines;
            for (int i = 0; i < chooser.ListBox1->count(); ++i)
                lines << chooser.ListBox1->item(i)->text();
            Shown << lines;
            Title = chooser.windowTitle();
            FirstSelected = chooser.ListBox1->currentRow() == 0;
            BusyWhileShown = QGuiApplication::overrideCursor() != nullptr;
            const int row = pick(lines);
            if (row < 0) {
                chooser.Button2->click();
            } else {
                chooser.ListBox1->setCurrentRow(row);
                chooser.Button1->click();
            }
        });
        poll->start(20);
    }
    QList<QStringList> Shown;
    QString Title;
    bool FirstSelected = false;
    bool BusyWhileShown = true;
};
