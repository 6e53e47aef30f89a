#include "core/prompts.h"

#include "platform/shell.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class TQtPrompts : public TPrompts
{
public:
    void Message(TPromptKind kind, const QString &title, const QString &text) override
    {
        QMessageBox box(Icon(kind), title, text, QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }

    bool Ask(TPromptKind kind, const QString &title, const QString &text) override
    {
        QMessageBox box(Icon(kind), title, text, QMessageBox::Yes | QMessageBox::No,
                        QApplication::activeWindow());
        return box.exec() == QMessageBox::Yes;
    }

    QString ChooseFolder(const QString &caption, const QString &startFolder) override
    {
        return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, startFolder);
    }

    void OpenUrl(const QString &url) override { platform::OpenUrl(url); }

private:
    static QMessageBox::Icon Icon(TPromptKind kind)
    {
        switch (kind) {
        case TPromptKind::Warning: return QMessageBox::Warning;
        case TPromptKind::Error: return QMessageBox::Critical;
        case TPromptKind::Confirmation: return QMessageBox::Question;
        case TPromptKind::Information: break;
        }
        return QMessageBox::Information;
    }
};

TPrompts *&Installed()
{
    static TPrompts *installed = nullptr;
    return installed;
}

} // namespace

TPrompts &Prompts()
{
    static TQtPrompts qtPrompts;
    return Installed() ? *Installed() : qtPrompts;
}

void SetPrompts(TPrompts *prompts) { Installed() = prompts; }

TScriptedPrompts::TScriptedPrompts() : m_previous(Installed()) { SetPrompts(this); }

TScriptedPrompts::~TScriptedPrompts() { SetPrompts(m_previous); }

void TScriptedPrompts::Message(TPromptKind kind, const QString &title, const QString &text)
{
    log.append({QStringLiteral("Message"), kind, title, text});
}

bool TScriptedPrompts::Ask(TPromptKind kind, const QString &title, const QString &text)
{
    log.append({QStringLiteral("Ask"), kind, title, text});
    return answers.isEmpty() ? DefaultAnswer : answers.takeFirst();
}

QString TScriptedPrompts::ChooseFolder(const QString &caption, const QString &startFolder)
{
    log.append({QStringLiteral("ChooseFolder"), TPromptKind::Information, caption, startFolder});
    return folders.isEmpty() ? QString() : folders.takeFirst();
}

void TScriptedPrompts::OpenUrl(const QString &url)
{
    log.append({QStringLiteral("OpenUrl"), TPromptKind::Information, QString(), url});
}
