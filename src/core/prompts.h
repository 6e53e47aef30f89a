#pragma once
// Every message box, question, folder choice and opened web page goes through Prompts(), so that tests
// can answer and record them instead of a user.
#include <QList>
#include <QString>
#include <QStringList>

enum class TPromptKind { Information, Warning, Error, Confirmation };

class TPrompts
{
public:
    virtual ~TPrompts() = default;
    // A modal box with one OK button.
    virtual void Message(TPromptKind kind, const QString &title, const QString &text) = 0;
    // A modal box with Yes and No; true for Yes.
    virtual bool Ask(TPromptKind kind, const QString &title, const QString &text) = 0;
    // A folder selection; an empty text when the user cancelled.
    virtual QString ChooseFolder(const QString &caption, const QString &startFolder) = 0;
    // Opens a web page in the default browser or a folder in the file manager.
    virtual void OpenUrl(const QString &url) = 0;
};

TPrompts &Prompts();
// Installs the implementation (not owned; the program installs TQtPrompts of mainwindow/qtprompts.h).
// nullptr restores the unattended one, which logs messages and answers every question No.
void SetPrompts(TPrompts *prompts);
