#include "ui/common/EngineStop.h"

#include "run/AgentEngine.h"

namespace gleanwork {

void EngineStop::Request() {
    const std::lock_guard lock(mutex_);
    requested_ = true;
    if (engine_ != nullptr) {
        engine_->Stop();
    }
}

bool EngineStop::IsRequested() const {
    const std::lock_guard lock(mutex_);
    return requested_;
}

EngineStop::Attached::Attached(EngineStop& stop, AgentEngine& engine) : stop_(stop) {
    const std::lock_guard lock(stop_.mutex_);
    stop_.engine_ = &engine;
    if (stop_.requested_) {
        engine.Stop();
    }
}

EngineStop::Attached::~Attached() {
    const std::lock_guard lock(stop_.mutex_);
    stop_.engine_ = nullptr;
}

}  // namespace gleanwork
