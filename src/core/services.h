#pragma once
// The process-wide state of the program, owned by one object: app/main.cpp creates a TRuntimeServices
// (runtime/runtimeservices.h, which holds one of these) before anything else and destroys it last; a test
// creates a fresh one per test function instead of resetting globals by hand.
//
// A TServices becomes the current one when it is made and hands back to the one before it when it goes.
// The accessors of the lower folders reach the current one: App() (the application record), Now() (the
// clock), Prompts(), MainWindowSink(), Translate() (the translation table), IsShuttingDown() and
// TerminationRequested(), ProgramFolder() and DataFilesFolder(). A program or test that never makes one gets a default one on
// first use.
//
// Made and destroyed on the user-interface thread; other threads only read through the accessors while
// it lives (capture threads translate texts).
#include "core/main.h"
#include "core/translation.h"

#include <QString>

#include <functional>

class TMainWindowSink;
class TPrompts;
class TTimer;

class TServices
{
public:
    TServices();
    virtual ~TServices();
    TServices(const TServices &) = delete;
    TServices &operator=(const TServices &) = delete;

    TApplicationState State;                 // App()
    std::function<TDateTime()> Clock;        // Now(); empty: the system clock
    TPrompts *Prompts = nullptr;             // Prompts(); null: the unattended prompts
    TMainWindowSink *WindowSink = nullptr;   // MainWindowSink(); null: none
    TTranslationTable Translations;          // Translate()
    const TTimer *Terminator = nullptr;      // IsShuttingDown(): this timer is enabled
    bool TerminationRequested = false;       // TerminationRequested()
    // The program's folder (ProgramFolder(), DataFilesFolder()); empty: the real one.
    QString ProgramFolder;

private:
    TServices *m_previous;
};

// The current services.
TServices &Services();

// The program's folder, where the shared libraries it loads lie.
QString ProgramFolder();
// Where the data files that ship with the program lie (transl.dt, the sounds, the icons, the guide): the
// program's folder in the build tree, <prefix>/share/ostrivo when installed.
QString DataFilesFolder();
