#pragma once

#include "base/AppState.h"

// Marks an engine wait for its lifetime: while one is running, events pumped
// inside it must not change the mode or shut the engine down under it.
class EngineWait {
public:
    EngineWait() { ++App().WaitDepth; }
    ~EngineWait() { --App().WaitDepth; }
    EngineWait(const EngineWait&) = delete;
    EngineWait& operator=(const EngineWait&) = delete;
};
