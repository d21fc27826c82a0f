#include "app/JsonResultsFile.h"

#include "lang/FileVersionText.h"
#include "lang/WinVersionResource.h"
#include "listview/JsonReport.h"
#include "platform/WinTextEncoding.h"
#include "ui/ShellUtil.h"

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
