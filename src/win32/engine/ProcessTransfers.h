#pragma once
#include "core/engine/TransferContext.h"

namespace vm {

// The program's one transfer context: WinINet, the kernel's files and threads, the tick
// clock. Made on first use and kept until the process ends (a worker may outlive a run).
TransferContext& ProcessTransfers();

}  // namespace vm
