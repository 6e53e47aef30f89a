#include "core/prompts.h"

#include "core/log.h"
#include "core/services.h"

namespace {

// Until the program installs its prompts (and in programs without a user interface) nobody can answer:
// messages go to the logging category and every question is answered No.
class TUnattendedPrompts : public TPrompts
{
public:
    void Message(TPromptKind, const QString &title, const QString &text) override
    {
        qCWarning(ostrivoLog).noquote() << title << "-" << text;
    }
    bool Ask(TPromptKind kind, const QString &title, const QString &text) override
    {
        Message(kind, title, text);
        return false;
    }
    QString ChooseFolder(const QString &, const QString &) override { return QString(); }
    void OpenUrl(const QString &url) override { qCWarning(ostrivoLog).noquote() << "not opened:" << url; }
};

} // namespace

TPrompts &Prompts()
{
    static TUnattendedPrompts unattended;
    TPrompts *installed = Services().Prompts;
    return installed ? *installed : unattended;
}

void SetPrompts(TPrompts *prompts) { Services().Prompts = prompts; }

TScriptedPrompts::TScriptedPrompts() : m_previous(Services().Prompts) { SetPrompts(this); }

TScriptedPrompts::~TScriptedPrompts()
{
    if (Services().Prompts == this)
        SetPrompts(m_previous);
}

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
