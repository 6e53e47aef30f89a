#include "core/main.h"

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
}
