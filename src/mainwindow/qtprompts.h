#pragma once
// The prompts a user sees: QMessageBox, QFileDialog and the default browser. Installed by the program at
// start-up (core keeps only the interface, so that the lower folders need no Qt Widgets).
#include "core/prompts.h"

class TQtPrompts : public TPrompts
{
public:
    void Message(TPromptKind kind, const QString &title, const QString &text) override;
    bool Ask(TPromptKind kind, const QString &title, const QString &text) override;
    QString ChooseFolder(const QString &caption, const QString &startFolder) override;
    void OpenUrl(const QString &url) override;
};
