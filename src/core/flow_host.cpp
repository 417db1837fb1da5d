#include "core/flow_host.hpp"

#include <utility>

namespace velkor {

bool FlowHost::StartWorker(std::function<FlowEnd()> work, Bracket bracket) {
  return threads_.Start([this, work = std::move(work), bracket] { Run(work, bracket); });
}

bool FlowHost::RunHere(const std::function<FlowEnd()>& work, Bracket bracket) { return Run(work, bracket); }

bool FlowHost::Run(const std::function<FlowEnd()>& work, Bracket bracket) noexcept {
  try {
    std::optional<OperationScope> scope;
    if (bracket == Bracket::ContinueKept) scope = TakeKept();
    if (!scope) {
      // A stop pressed for an earlier run must not end this one.
      stop_.BeginRun();
      scope.emplace(bracket_);
    }
    FlowEnd end = FlowEnd::Done;
    try {
      end = work();
    } catch (...) {
      // A worker has no caller to report to; the scope ends the operation, so
      // the user is never left with a window whose navigation stays off.
      return false;
    }
    if (end == FlowEnd::KeepOperation) {
      const std::lock_guard<std::mutex> lock(keptLock_);
      kept_ = std::move(scope);
    }
    return true;
  } catch (...) {
    return false;
  }
}

void FlowHost::RequestStop(std::int32_t engineKind, std::function<void(bool acknowledged)> answered) {
  stop_.Press();
  if (engineKind == 0 && !answered) return;
  threads_.Start([this, engineKind, answered = std::move(answered)] {
    const bool acknowledged = engineKind != 0 && stop_.PassToEngine(engineKind);
    if (answered) answered(acknowledged);
  });
}

std::optional<OperationScope> FlowHost::TakeKept() {
  const std::lock_guard<std::mutex> lock(keptLock_);
  std::optional<OperationScope> taken = std::move(kept_);
  kept_.reset();
  return taken;
}

void FlowHost::EndKeptOperation() {
  std::optional<OperationScope> kept = TakeKept();
  if (kept) kept->End();
}

bool FlowHost::HasKeptOperation() {
  const std::lock_guard<std::mutex> lock(keptLock_);
  return kept_.has_value() && kept_->Active();
}

}  // namespace velkor
