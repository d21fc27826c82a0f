// Writes the comma-delimited report (with its title line) of items whose texts come from
// standard input, NUL-separated: url, name, url, name ... The report goes to the file
// named by the only argument. Used by tests/e2e/csv_cells_test.py.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "core/list/ItemCells.h"
#include "core/platform/FileSystem.h"
#include "core/report/ReportWriter.h"
#include "support/TestList.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::freopen(nullptr, "rb", stdin);
    const std::string input((std::istreambuf_iterator<char>(std::cin)),
                            std::istreambuf_iterator<char>());
    vm::test::TestList fixture;
    vm::AppSettings& settings = fixture.settings;
    settings.AddExportHeaderLine = 1;
    vm::DownloadListView& list = fixture.list;
    size_t start = 0;
    while (start < input.size()) {
        const size_t urlEnd = std::min(input.find('\0', start), input.size());
        const size_t nameStart = std::min(urlEnd + 1, input.size());
        const size_t nameEnd = std::min(input.find('\0', nameStart), input.size());
        fixture.Add(input.substr(start, urlEnd - start),
                    input.substr(nameStart, nameEnd - nameStart));
        start = nameEnd + 1;
    }
    list.Reload();
    vm::StdFileSystem files;
    uint32_t error = 0;
    return vm::WriteReport(list, settings, vm::LanguageState(), files, vm::kReportCommaDelimited,
                           argv[1], false, &error)
               ? 0
               : 1;
}
