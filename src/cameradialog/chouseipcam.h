#pragma once
// The LAN camera chooser: a small fixed-size dialog listing the cameras a local network scan found. Its
// result (Tag) is the index of the chosen line, -1 when none was chosen or the dialog was cancelled.
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

class TChooseIPCamForm : public QDialog
{
    Q_OBJECT
public:
    explicit TChooseIPCamForm(QWidget *parent = nullptr);

    // Shows the dialog modally and returns Tag.
    int ShowModal();

    QLabel *Label1;
    QListWidget *ListBox1;
    QPushButton *Button1; // "OK"
    QPushButton *Button2; // "Cancel"
    int Tag = -1;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Button1Click();
    void Button2Click();
};
