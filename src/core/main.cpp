#include "core/main.h"

#include "core/timer.h"
#include "core/translation.h"

namespace {
TApplicationState *&State()
{
    static TApplicationState *state = new TApplicationState;
    return state;
}
}

TApplicationState &App() { return *State(); }

void ResetApplicationState()
{
    delete State();
    State() = new TApplicationState;
    SetTranslationTable({});
    ClearTerminationRequest();
}
