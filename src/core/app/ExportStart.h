#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/app/ExitCode.h"
#include "core/app/ExportTarget.h"
#include "core/report/RunReport.h"

namespace vm {

// Why an export ends before its run: it would write nothing useful, or write over the
// user's files.
enum class ExportStartRefusal {
    None,                // the run may start
    ConfigUnreadable,    // the configuration (or the one /config names) could not be read
    SwitchWithoutValue,  // a switch of the command line lacks its value
    TargetTooLong,       // an output file's name: see ExportTargetVerdict
    TargetInvalidName,
    TargetProgramFile,  // also the run history's file
    PushUrlTooLong,     // a cut address would push somewhere else
};

// What was found before the run.
struct ExportStartFacts {
    bool configUnreadable = false;
    bool switchWithoutValue = false;
    // The verdict on the first output file refused (ExportTargetNames' order), else Accepted.
    ExportTargetVerdict target = ExportTargetVerdict::Accepted;
    size_t pushUrlLength = 0;
};

// The output files checked before the run, in order: the report (a metrics-only run has
// none) and the metrics file.
std::vector<std::string> ExportTargetNames(const ExportRequest& request);

// The first refusal in the order of ExitCode's precedence; None when the run may start.
ExportStartRefusal JudgeExportStart(const ExportStartFacts& facts);

// The exit code that tells a script about the refusal (Success for None).
ExitCode ExitCodeOf(ExportStartRefusal refusal);

}  // namespace vm
