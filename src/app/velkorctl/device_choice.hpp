#pragma once
// The devices a verb works on: "--all" or "--device N ...", as backup and
// download take them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"

namespace velkor::ctl {

struct DeviceChoice {
  bool all = false;
  std::vector<std::int32_t> devices;  // --device N ...: numbers of `velkorctl inventory`
};

enum class DeviceOption { NotOne, Taken, Usage };

// Takes args[i] when it is "--all", or "--device" with the numbers after it
// (i then stands on the last one). Usage after the message when "--device"
// has no number; NotOne leaves args[i] to the verb.
DeviceOption TakeDeviceOption(const std::vector<std::wstring>& args, std::size_t& i, const Console& console,
                              DeviceChoice& choice);
// After all options: kExitUsage with the message when both forms were given.
int CheckDeviceChoice(const DeviceChoice& choice, const Console& console);

}  // namespace velkor::ctl
