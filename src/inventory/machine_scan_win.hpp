#pragma once
// Scanning this machine's devices with the real system and the process-wide
// engine object: what the scan page's worker and the console's commands run.

#include <cstddef>
#include <cstdint>

#include "inventory/device_enumeration.hpp"

namespace velkor {

// Whether a stop left in the engine state is cleared before the listing.
enum class StaleStop {
  Clear,  // a listing of its own (the console's commands)
  Keep,   // a flow's listing: the flow host's stop request cleared it when the
          // run began, so a Stop pressed since still ends the listing
};

// Runs the inventory over the system with TheDriverScannerApp() as the stop
// handshake. 32 completed, 18 stopped, 33 failed. dropped (optional) receives
// the devices past the scan table's capacity.
std::int32_t ScanMachineDevices(const ProgressCallback& progress, std::size_t* dropped = nullptr,
                                StaleStop staleStop = StaleStop::Clear);

}  // namespace velkor
