#pragma once
// The system's signed-driver records (WMI) and the service that serves them.

#include "inventory/signer_table.hpp"

namespace velkor {

// Replaces the table's rows with the system's signed-driver records (the first
// 2048 of them). COM must be initialised on the calling thread. True when at
// least one row was read.
bool LoadSignedDriverTable(SignerTable& table);

}  // namespace velkor
