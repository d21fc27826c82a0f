#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/CachedTimeText.h"
#include "core/engine/DownloadItem.h"
#include "core/lang/LanguageState.h"
#include "core/list/DownloadListView.h"
#include "core/list/ItemCells.h"
#include "core/options/AppSettings.h"
#include "core/platform/FileSystem.h"
#include "core/report/ReportFormat.h"

namespace vm {

// Bytes gathered before each write to the file.
constexpr size_t kReportOutputBufferBytes = 64 * 1024;
// The error of a report of a type outside 1..7 (ERROR_INVALID_PARAMETER).
constexpr uint32_t kErrorUnknownReportType = 87;

// Style of one HTML data cell.
struct CellStyle {
    int64_t background = kNoColor;
    int64_t textColor = kNoColor;
    int fontSize = 0;  // 0 or less: none
    bool bold = false;
};

// Writes the reports of a download list: the rows in display order, the shown columns in
// display order. Streams through one reused output buffer and fixed scratch buffers, so
// nothing is allocated per item or cell. One writer per report (or reused; not shared
// between threads).
class ReportWriter {
public:
    ReportWriter(DownloadListView& list, const LanguageState& language);

    // The title line of the tab- and comma-delimited reports.
    void SetExportHeaderLine(bool on) { exportHeaderLine_ = on; }

    // Writes the report of all rows, or of the selected ones, into a new file (an existing
    // one is replaced). Items ItemInReport refuses are left out. Any failed write, or a
    // type outside 1..7 with a row to write, fails the report with the platform's error
    // code (kErrorUnknownReportType for the type); the closing is still written and the
    // file closed. A file that cannot be created fails at once with its error.
    [[nodiscard]] bool WriteReportFile(FileSystem& files, int type, const std::string& fileName,
                                       bool selectedOnly, uint32_t* error);

    // One item's part of a report of the given type, written to an open file with the
    // columns as they were at the last report (or at construction). False when the type
    // is unknown or the write failed.
    [[nodiscard]] bool WriteItem(OutputFile& file, const DownloadItem& item, int type);

private:
    struct Column {
        int index;
        const char* title;  // translated
        size_t titleLength;
        char tag[kXmlNameLimit + 1];
        size_t tagLength;
        bool nowrap;
        size_t tabularWidth;
        const char* htmlWidth;
    };

    // The output buffer in front of the file; after a failed write it drops everything.
    class Sink {
    public:
        Sink() : buffer_(kReportOutputBufferBytes) {}
        void Begin(OutputFile* file);
        void Put(const char* data, size_t size);
        template <size_t N>
        void Put(const char (&literal)[N]) {
            Put(literal, N - 1);
        }
        // Room for size bytes at the end of the buffer (flushing first when needed), or
        // nullptr after a failure; Commit then takes the bytes actually written there.
        char* Reserve(size_t size);
        void Commit(size_t size) { used_ += size; }
        bool Flush();
        bool Failed() const { return failed_; }

    private:
        std::vector<char> buffer_;
        size_t used_ = 0;
        OutputFile* file_ = nullptr;
        bool failed_ = false;
    };

    void Prepare();
    void WriteOpening(int type);
    void WriteClosing(int type);
    bool PutItem(const DownloadItem& item, int type);
    void PutTitleLine(int type);

    void PutTextItem(const DownloadItem& item);
    void PutTabItem(const DownloadItem& item);
    void PutTabularItem(const DownloadItem& item);
    void PutHtmlRow(const DownloadItem& item);
    void PutHtmlTable(const DownloadItem& item);
    void PutXmlItem(const DownloadItem& item);
    void PutCommaItem(const DownloadItem& item);
    void PutCommaField(const char* text);

    void PutHtmlHeader(int type);
    void PutHtmlFooter(int type);

    const char* Cell(const DownloadItem& item, const Column& column);
    // The HTML content of a data cell, at most room characters, cut only between whole
    // characters or entities: in escaped_, or in styled_ when a style wraps it.
    const char* HtmlCellContent(const char* text, const CellStyle& style, size_t room,
                                size_t* length);
    CellStyle CellStyleFor(size_t position) const;

    // One bounded unit of output: at most `limit` characters of content, then the
    // terminator, which is always written whole.
    void LineStart(size_t limit);
    void LineAdd(const char* text, size_t length);
    void LineAdd(const char* text);
    void LinePadTo(size_t length);
    // The terminator is a literal of at most kMaxTerminator characters.
    template <size_t N>
    void LineEnd(const char (&terminator)[N]) {
        static_assert(N - 1 <= kMaxTerminator, "terminator too long");
        if (lineBase_ == line_.data()) return;  // the output has failed
        std::memcpy(lineBase_ + lineLength_, terminator, N - 1);
        sink_.Commit(lineLength_ + N - 1);
    }
    static constexpr size_t kMaxTerminator = 4;

    DownloadListView& list_;
    const LanguageState& language_;
    bool exportHeaderLine_ = false;
    Column columns_[kDownloadColumnCount];
    size_t columnCount_ = 0;
    char rootTag_[kXmlNameLimit + 1];
    size_t rootTagLength_ = 0;
    CellContext context_;
    CachedTimeText cachedTime_;
    Sink sink_;
    CellBuffer cell_;
    std::vector<char> line_;    // where a unit goes when the output has failed
    char* lineBase_ = nullptr;  // the unit being built, in the output buffer if possible
    size_t lineLength_ = 0;
    size_t lineLimit_ = 0;
    std::vector<char> escaped_;  // kReportLineLimit + 1
    std::vector<char> styled_;   // kReportLineLimit + 1
};

// What every caller uses: the header line switch taken from AddExportHeaderLine, then
// WriteReportFile. The caller shows the error on failure.
[[nodiscard]] bool WriteReport(DownloadListView& list, const AppSettings& settings,
                               const LanguageState& language, FileSystem& files, int type,
                               const std::string& fileName, bool selectedOnly, uint32_t* error);

}  // namespace vm
