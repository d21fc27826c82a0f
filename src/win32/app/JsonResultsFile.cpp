#include "win32/app/JsonResultsFile.h"

#include "core/lang/FileVersionText.h"
#include "core/report/HistoryReader.h"
#include "core/report/JsonReport.h"
#include "win32/lang/WinVersionResource.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/ShellUtil.h"

namespace vm {

namespace {

JsonReportSource MakeSource(const AppSettings& settings, const RunMeasurements* measurements,
                            TextEncoding& encoding, const JsonResultsExtras& extras) {
    WinVersionResource version(ProgramPath());
    JsonReportSource source;
    source.settings = &settings;
    source.measurements = measurements;
    source.encoding = &encoding;
    source.programVersion = FileVersionText(version);
    source.alerts = extras.alerts;
    source.warnings = extras.warnings;
    return source;
}

}  // namespace

bool WriteJsonResultsFile(DownloadListView& list, const AppSettings& settings,
                          const RunMeasurements* measurements, FileSystem& files,
                          const std::string& path, uint32_t* error,
                          const JsonResultsExtras& extras) {
    WinTextEncoding encoding;
    return WriteJsonReport(list, MakeSource(settings, measurements, encoding, extras), files, path,
                           error);
}

std::string CompactJsonResults(DownloadListView& list, const AppSettings& settings,
                               const RunMeasurements* measurements,
                               const JsonResultsExtras& extras) {
    WinTextEncoding encoding;
    return CompactJsonReport(list, MakeSource(settings, measurements, encoding, extras),
                             kMaxHistoryLineBytes);
}

}  // namespace vm
