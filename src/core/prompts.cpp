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
