#include "core/stop_request.hpp"

namespace velkor {

void StopRequest::BeginRun() {
  pressed_ = false;
  passedOn_ = false;
  if (engine_ != nullptr) engine_->ClearStop();
}

bool StopRequest::PassToEngine(std::int32_t kind) {
  passedOn_ = true;
  return engine_ != nullptr && engine_->RequestAbort(kind);
}

}  // namespace velkor
