#include "win32/app/JsonResultsFile.h"

#include "core/lang/FileVersionText.h"
#include "win32/lang/WinVersionResource.h"
#include "core/report/JsonReport.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/ShellUtil.h"

namespace vm {

bool WriteJsonResultsFile(DownloadListView& list, const AppSettings& settings,
                          const RunMeasurements* measurements, FileSystem& files,
                          const std::string& path, uint32_t* error) {
    WinTextEncoding encoding;
    WinVersionResource version(ProgramPath());
    JsonReportSource source;
    source.settings = &settings;
    source.measurements = measurements;
    source.encoding = &encoding;
    source.programVersion = FileVersionText(version);
    return WriteJsonReport(list, source, files, path, error);
}

}  // namespace vm
