#pragma once
#include "core/app/ExitCode.h"
#include "core/report/RunReport.h"

namespace vm {

// The exit code of an export run from what became of its files, in the order ExitCode.h
// gives: a report that was not written outranks a history that was not.
ExitCode ExportExitCode(const ExportOutcome& outcome);

}  // namespace vm
