#pragma once
// Makes the current Windows installation (a Wine prefix) into a described
// machine: Windows version, devices, driver packages, class keys.

#include <functional>
#include <string>

#include "machine_description.hpp"

namespace velkor::testmachine {

struct BuildReport {
  int devices = 0;
  int failed = 0;  // devices of which some step failed; the others are done all the same
};

// description_folder: where the description file lies; package paths are
// relative to it. progress receives one line per device, failure one line per
// failed step, each without a line end.
BuildReport BuildMachine(const MachineDescription& machine, const std::wstring& description_folder,
                         const std::function<void(const std::wstring&)>& progress,
                         const std::function<void(const std::wstring&)>& failure);

}  // namespace velkor::testmachine
