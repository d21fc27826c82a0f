#pragma once
#include <string>

#include "core/engine/LatencyProbeJob.h"

namespace vm {

// "latency 2.1 ms idle, 31.4 ms loaded (+29.3 ms), 1,912 RPM": the parts measured so far;
// "" when the item was not probed.
std::string LatencyText(const LatencyResult& latency);

}  // namespace vm
