#pragma once
// How velkorctl starts the engine: as the window program does, with the same
// settings (initialised without reset), working folders and lists, so that both
// front ends work on the same data. No fonts and no text file are needed; the
// product name for the folders is read from the text file when there is one,
// without ever writing it.

#include <memory>

#include "core/application_state.hpp"

namespace velkor::ctl {

std::unique_ptr<CApplicationState> StartEngine();
// The product name the engine is started with.
std::wstring ApplicationName();

}  // namespace velkor::ctl
