#pragma once

#include "core/app/ExitCode.h"

namespace vm {

// The exit code of an export run from its report's outcome (0 written, else the report's
// own failure code) and whether the end of the session cut the run short. A report that
// could not be written says more than the interruption, so it wins.
ExitCode ExportRunExitCode(int reportCode, bool interrupted);

}  // namespace vm
