#include "mainwindow/qtprompts.h"

#include "platform/shell.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon Icon(TPromptKind kind)
{
    switch (kind) {
    case TPromptKind::Warning: return QMessageBox::Warning;
    case TPromptKind::Error: return QMessageBox::Critical;
    case TPromptKind::Confirmation: return QMessageBox::Question;
    case TPromptKind::Information: break;
    }
    return QMessageBox::Information;
}

} // namespace

void TQtPrompts::Message(TPromptKind kind, const QString &title, const QString &text)
{
    QMessageBox box(Icon(kind), title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool TQtPrompts::Ask(TPromptKind kind, const QString &title, const QString &text)
{
    QMessageBox box(Icon(kind), title, text, QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

QString TQtPrompts::ChooseFolder(const QString &caption, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, startFolder);
}

void TQtPrompts::OpenUrl(const QString &url) { platform::OpenUrl(url); }
