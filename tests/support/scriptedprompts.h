#pragma once
// A test double of the prompts: answers from a script and records what was asked. Installs itself into the
// current services for its lifetime.
#include "core/prompts.h"
#include "core/services.h"

#include <QList>
#include <QString>
#include <QStringList>

class TScriptedPrompts : public TPrompts
{
public:
    struct Entry
    {
        QString call; // "Message", "Ask", "ChooseFolder", "OpenUrl"
        TPromptKind kind = TPromptKind::Information;
        QString title;
        QString text;
    };

    TScriptedPrompts() : m_previous(Services().Prompts) { SetPrompts(this); }
    ~TScriptedPrompts() override
    {
        if (Services().Prompts == this)
            SetPrompts(m_previous);
    }
    TScriptedPrompts(const TScriptedPrompts &) = delete;
    TScriptedPrompts &operator=(const TScriptedPrompts &) = delete;

    void Message(TPromptKind kind, const QString &title, const QString &text) override
    {
        log.append({QStringLiteral("Message"), kind, title, text});
    }
    bool Ask(TPromptKind kind, const QString &title, const QString &text) override
    {
        log.append({QStringLiteral("Ask"), kind, title, text});
        return answers.isEmpty() ? DefaultAnswer : answers.takeFirst();
    }
    QString ChooseFolder(const QString &caption, const QString &startFolder) override
    {
        log.append({QStringLiteral("ChooseFolder"), TPromptKind::Information, caption, startFolder});
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    void OpenUrl(const QString &url) override
    {
        log.append({QStringLiteral("OpenUrl"), TPromptKind::Information, QString(), url});
    }

    QList<bool> answers;          // taken in order by Ask; DefaultAnswer when empty
    bool DefaultAnswer = false;
    QStringList folders;          // taken in order by ChooseFolder; empty text when none left
    QList<Entry> log;

private:
    TPrompts *m_previous;
};
