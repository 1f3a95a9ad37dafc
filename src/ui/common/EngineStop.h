#pragma once

#include <mutex>

namespace gleanwork {

class AgentEngine;

// Lets a window stop the engine that its worker thread runs, whether that
// engine has not been made yet, is running, or is gone: a stop asked before
// the engine is attached stops it as it is attached.
class EngineStop {
public:
    // Any thread.
    void Request();
    bool IsRequested() const;

    // On the worker thread: `engine` is the one a stop reaches while this
    // lives, also when the engine's work ends by an exception.
    class Attached {
    public:
        Attached(EngineStop& stop, AgentEngine& engine);
        ~Attached();
        Attached(const Attached&) = delete;
        Attached& operator=(const Attached&) = delete;

    private:
        EngineStop& stop_;
    };

private:
    mutable std::mutex mutex_;
    AgentEngine* engine_ = nullptr;  // guarded by mutex_
    bool requested_ = false;         // guarded by mutex_
};

}  // namespace gleanwork
