#pragma once
// The About box: the application title, its version and a Close button.
#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QLabel *TitleLabel;
    QLabel *VersionLabel;
    QPushButton *CloseButton;
};
