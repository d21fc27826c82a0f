#include "core/app/RunExit.h"

namespace vm {

ExitCode ExportRunExitCode(int reportCode, bool interrupted) {
    if (reportCode != static_cast<int>(ExitCode::Success))
        return static_cast<ExitCode>(reportCode);
    return interrupted ? ExitCode::RunInterrupted : ExitCode::Success;
}

}  // namespace vm
