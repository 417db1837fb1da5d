#pragma once
// Scanning this machine's devices with the real system and the process-wide
// engine object: what the scan page's worker and the console's commands run.

#include <cstddef>
#include <cstdint>

#include "inventory/device_enumeration.hpp"

namespace velkor {

// Clears the engine state: a stop asked for when no listing ran stays at 18
// until its requester gives up, and would end the next listing at once.
void ClearStaleStopRequest();

// Runs the inventory over the system with TheDriverScannerApp() as the stop
// handshake. With clearStaleStop the engine state is cleared first; the scan
// run clears it when it starts instead, so that a Stop pressed before its
// listing begins still ends the listing. 32 completed, 18 stopped, 33 failed.
// dropped (optional) receives the devices past the scan table's capacity.
std::int32_t ScanMachineDevices(const ProgressCallback& progress, std::size_t* dropped = nullptr,
                                bool clearStaleStop = true);

}  // namespace velkor
