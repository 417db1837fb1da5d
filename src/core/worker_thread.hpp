#pragma once
// Starting a page's work on a worker thread: normal priority, default stack,
// running at once, the work bracketed by BeginOperation/EndOperation so that
// navigation comes back however the work ends.

#include <functional>

#include "core/operation_bracket.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

// The thread's handle (to wait on or to let go); empty when the thread could not
// be started, in which case nothing was disabled.
UniqueKernelHandle StartWorker(OperationHost& host, std::function<void()> work);

// The same thread without the bracket, for flows that take the bracket
// themselves (the scan run does, through its parts) and for the short helper
// threads that only pass a stop request on. An exception ends the thread quietly.
UniqueKernelHandle StartThread(std::function<void()> work);

}  // namespace velkor
