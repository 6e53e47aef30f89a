#pragma once
// Subsystems that are not built yet: their commands do nothing. Each is replaced by the real one as it
// arrives; when this file is empty it goes.
#include "core/subsystems.h"

class TPendingSubsystems : public ICameraListCommands
{
public:
    void AddCamera() override {}
    void RemoveCamera() override {}
    void EditCamera() override {}
    void ReleaseCatalogue() override {}
};
