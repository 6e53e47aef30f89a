#include "core/main.h"

#include "core/services.h"

TApplicationState &App() { return Services().State; }
