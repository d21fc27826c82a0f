#include "core/report/ReportWriter.h"
#include "core/list/ItemCells.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/base/InterpolateColor.h"
#include "core/lang/StringTable.h"
#include "core/list/DownloadColumns.h"
#include "core/platform/FileReplacement.h"

namespace vm {
namespace {

constexpr size_t kTextTitleWidth = 18;
constexpr const char kSeparator[] = "==================================================";
constexpr const char kCrLf[] = "\r\n";
// The background colours of the data cells, spread over the shown columns.
constexpr uint32_t kCellColors[] = {kCellBackColor};

}  // namespace

// ---- Sink ----

void ReportWriter::Sink::Begin(OutputFile* file) {
    file_ = file;
    used_ = 0;
    failed_ = false;
}

void ReportWriter::Sink::Put(const char* data, size_t size) {
    if (failed_ || size == 0) return;
    if (used_ + size > buffer_.size()) {
        if (!Flush()) return;
        if (size > buffer_.size()) {
            if (!file_->Write(data, size)) failed_ = true;
            return;
        }
    }
    std::memcpy(buffer_.data() + used_, data, size);
    used_ += size;
}

char* ReportWriter::Sink::Reserve(size_t size) {
    if (failed_ || size > buffer_.size()) return nullptr;
    if (used_ + size > buffer_.size() && !Flush()) return nullptr;
    return buffer_.data() + used_;
}

bool ReportWriter::Sink::Flush() {
    if (!failed_ && used_ > 0 && !file_->Write(buffer_.data(), used_)) failed_ = true;
    used_ = 0;
    return !failed_;
}

// ---- Bounded units ----

// A unit is built in place at the end of the output buffer, so its bytes are copied once.
void ReportWriter::LineStart(size_t limit) {
    lineLength_ = 0;
    lineLimit_ = limit < kHtmlHeaderRowLineLimit ? limit : kHtmlHeaderRowLineLimit;
    lineBase_ = sink_.Reserve(lineLimit_ + kMaxTerminator);
    if (lineBase_ == nullptr) lineBase_ = line_.data();
}

void ReportWriter::LineAdd(const char* text, size_t length) {
    const size_t room = lineLimit_ - lineLength_;
    if (length > room) length = room;
    std::memcpy(lineBase_ + lineLength_, text, length);
    lineLength_ += length;
}

void ReportWriter::LineAdd(const char* text) { LineAdd(text, std::strlen(text)); }

void ReportWriter::LinePadTo(size_t length) {
    if (length > lineLimit_) length = lineLimit_;
    if (lineLength_ >= length) return;
    std::memset(lineBase_ + lineLength_, ' ', length - lineLength_);
    lineLength_ = length;
}

// ---- Writer ----

ReportWriter::ReportWriter(DownloadListView& list, const LanguageState& language)
    : list_(list),
      language_(language),
      cachedTime_(list.CellTextContext().timeText),
      line_(kHtmlHeaderRowLineLimit + 1),
      escaped_(kReportLineLimit + 1),
      styled_(kReportLineLimit + 1) {
    Prepare();
}

void ReportWriter::Prepare() {
    const std::vector<int>& order = list_.ComputeVisibleOrder();
    columnCount_ = 0;
    for (int index : order) {
        if (columnCount_ >= kDownloadColumnCount) break;
        const ColumnSpec& columnSpec = DownloadColumnSpec(index);
        Column& c = columns_[columnCount_++];
        c.index = index;
        c.title = GetString(columnSpec.titleId);
        c.titleLength = std::strlen(c.title);
        c.tagLength =
            XmlTagName(GetString(columnSpec.titleId | kBuiltinStringFlag), c.tag, sizeof c.tag);
        c.nowrap = columnSpec.nowrap;
        c.tabularWidth = static_cast<size_t>(columnSpec.tabularWidth);
        c.htmlWidth = columnSpec.htmlWidth;
    }
    rootTagLength_ =
        XmlTagName(GetString(IDS_REPORT_TITLE | kBuiltinStringFlag), rootTag_, sizeof rootTag_);
    context_ = list_.CellTextContext();
    cachedTime_ = CachedTimeText(context_.timeText);
    if (context_.timeText != nullptr) context_.timeText = &cachedTime_;
}

const char* ReportWriter::Cell(const DownloadItem& item, const Column& column) {
    return ItemCellText(item, column.index, cell_, context_);
}

bool ReportWriter::WriteReportFile(FileSystem& files, int type, const std::string& fileName,
                                   bool selectedOnly, uint32_t* error) {
    *error = 0;
    Prepare();
    uint32_t itemError = 0;
    auto writeRow = [&](size_t row) -> bool {
        size_t index = 0;
        if (!list_.ItemOfRow(row, &index)) return true;
        const DownloadItem& item = list_.ItemAt(index);
        if (!list_.ItemInReport(item)) return true;
        if (!PutItem(item, type)) {
            if (!IsReportType(type)) itemError = kErrorUnknownReportType;
            return false;
        }
        return true;
    };
    auto writeAll = [&](OutputFile& file) -> bool {
        sink_.Begin(&file);
        WriteOpening(type);
        bool rowsWritten = true;
        if (selectedOnly) {
            for (int64_t row = list_.NextSelectedRow(kAllRows); row >= 0 && rowsWritten;
                 row = list_.NextSelectedRow(row)) {
                rowsWritten = writeRow(static_cast<size_t>(row));
            }
        } else {
            for (size_t row = 0; row < list_.RowCount() && rowsWritten; ++row) {
                rowsWritten = writeRow(row);
            }
        }
        WriteClosing(type);
        const bool flushed = sink_.Flush();
        return rowsWritten && flushed;
    };
    // Written beside the target and moved over it when whole: a failed report never leaves
    // a shortened file, nor takes the place of an older report.
    uint32_t writeError = 0;
    if (WriteFileReplacing(files, fileName, writeAll, &writeError)) return true;
    *error = itemError != 0 ? itemError : (writeError != 0 ? writeError : kErrorWriteFault);
    return false;
}

bool ReportWriter::WriteItem(OutputFile& file, const DownloadItem& item, int type) {
    sink_.Begin(&file);
    const bool written = PutItem(item, type);
    return sink_.Flush() && written;
}

bool ReportWriter::PutItem(const DownloadItem& item, int type) {
    switch (type) {
        case kReportText:
            PutTextItem(item);
            break;
        case kReportTabDelimited:
            PutTabItem(item);
            break;
        case kReportTabular:
            PutTabularItem(item);
            break;
        case kReportHtmlHorizontal:
            PutHtmlRow(item);
            break;
        case kReportHtmlVertical:
            PutHtmlTable(item);
            break;
        case kReportXml:
            PutXmlItem(item);
            break;
        case kReportCommaDelimited:
            PutCommaItem(item);
            break;
        default:
            return false;
    }
    return !sink_.Failed();
}

void ReportWriter::WriteOpening(int type) {
    switch (type) {
        case kReportHtmlHorizontal:
        case kReportHtmlVertical:
            PutHtmlHeader(type);
            break;
        case kReportXml:
            sink_.Put("<?xml version=\"1.0\"  encoding=\"ISO-8859-1\" ?>\r\n");
            LineStart(kXmlNameLimit);
            LineAdd("<");
            LineAdd(rootTag_, rootTagLength_);
            LineAdd(">");
            LineEnd(kCrLf);
            break;
        case kReportTabDelimited:
        case kReportCommaDelimited:
            if (exportHeaderLine_) PutTitleLine(type);
            break;
        default:
            break;
    }
}

void ReportWriter::WriteClosing(int type) {
    switch (type) {
        case kReportHtmlHorizontal:
        case kReportHtmlVertical:
            PutHtmlFooter(type);
            break;
        case kReportXml:
            LineStart(kXmlNameLimit);
            LineAdd("</");
            LineAdd(rootTag_, rootTagLength_);
            LineAdd(">");
            LineEnd(kCrLf);
            break;
        default:
            break;
    }
}

void ReportWriter::PutTitleLine(int type) {
    for (size_t i = 0; i < columnCount_; ++i) {
        if (type == kReportTabDelimited) {
            LineStart(kReportLineLimit);
            LineAdd(columns_[i].title, columns_[i].titleLength);
            LineEnd("\t");
        } else {
            if (i > 0) sink_.Put(",", 1);
            PutCommaField(columns_[i].title);
        }
    }
    sink_.Put(kCrLf, 2);
}

// ---- Plain text formats ----

void ReportWriter::PutTextItem(const DownloadItem& item) {
    sink_.Put(kSeparator, sizeof kSeparator - 1);
    sink_.Put(kCrLf, 2);
    for (size_t i = 0; i < columnCount_; ++i) {
        const Column& column = columns_[i];
        LineStart(kReportLineLimit);
        LineAdd(column.title, column.titleLength);
        LinePadTo(kTextTitleWidth);
        LineAdd(": ", 2);
        LineAdd(Cell(item, column));
        LineEnd(kCrLf);
    }
    sink_.Put(kSeparator, sizeof kSeparator - 1);
    sink_.Put("\r\n\r\n", 4);
}

void ReportWriter::PutTabItem(const DownloadItem& item) {
    for (size_t i = 0; i < columnCount_; ++i) {
        LineStart(kReportLineLimit);
        LineAdd(Cell(item, columns_[i]));
        LineEnd("\t");
    }
    sink_.Put(kCrLf, 2);
}

void ReportWriter::PutTabularItem(const DownloadItem& item) {
    for (size_t i = 0; i < columnCount_; ++i) {
        const Column& column = columns_[i];
        LineStart(column.tabularWidth);
        LineAdd(Cell(item, column));
        LinePadTo(column.tabularWidth);
        LineEnd(" ");
    }
    sink_.Put(kCrLf, 2);
}

void ReportWriter::PutCommaItem(const DownloadItem& item) {
    for (size_t i = 0; i < columnCount_; ++i) {
        if (i > 0) sink_.Put(",", 1);
        PutCommaField(Cell(item, columns_[i]));
    }
    sink_.Put(kCrLf, 2);
}

void ReportWriter::PutCommaField(const char* text) {
    // A comma, a double quote or a line break asks for quoting (a bare line break would
    // end the record for every reader); none can be a trail byte of a double-byte
    // character, so a byte search is enough.
    size_t length = 0;
    bool quote = false;
    for (; text[length] != '\0'; ++length) {
        const char c = text[length];
        if (c == ',' || c == '"' || c == '\r' || c == '\n') quote = true;
    }
    if (!quote) {
        LineStart(kReportLineLimit);
        LineAdd(text, length);
        LineEnd("");
        return;
    }
    // The closing quote is kept even when the field is cut, and a doubled quote is never
    // split, so a cut field still reads back as one field.
    LineStart(kReportLineLimit - 1);
    LineAdd("\"", 1);
    for (const char* p = text; *p != '\0'; ++p) {
        const size_t need = *p == '"' ? 2 : 1;
        if (lineLength_ + need > lineLimit_) break;
        LineAdd(p, 1);
        if (*p == '"') LineAdd(p, 1);
    }
    LineEnd("\"");
}

// ---- HTML ----

CellStyle ReportWriter::CellStyleFor(size_t position) const {
    CellStyle style;
    const int last = columnCount_ > 0 ? static_cast<int>(columnCount_) - 1 : 0;
    style.background = InterpolateColor(kCellColors, sizeof kCellColors / sizeof kCellColors[0],
                                        static_cast<int>(position), last);
    return style;
}

const char* ReportWriter::HtmlCellContent(const char* text, const CellStyle& style, size_t room,
                                          size_t* contentLength) {
    static const char kSpace[] = "&nbsp;";
    constexpr size_t kSpaceLength = sizeof kSpace - 1;
    if (room > kReportLineLimit) room = kReportLineLimit;
    // Room is kept for the "&nbsp;" a cut text may still need.
    const size_t escapeRoom = room > kSpaceLength ? room - kSpaceLength : 0;
    size_t length = HtmlEscape(text, escaped_.data(), escapeRoom + 1);
    if (length == 0 || escaped_[0] == ' ') {
        if (length + kSpaceLength <= room) {
            std::memcpy(escaped_.data() + length, kSpace, sizeof kSpace);
            length += sizeof kSpace - 1;
        }
    }
    const bool font = style.textColor != kNoColor || style.fontSize > 0;
    if (!font && !style.bold) {
        *contentLength = length;
        return escaped_.data();
    }
    char color[7];
    if (style.textColor != kNoColor) ColorToHex(static_cast<uint32_t>(style.textColor), color);
    char size[32] = "";
    if (style.fontSize > 0) std::snprintf(size, sizeof size, " size=\"%d\"", style.fontSize);
    const int n = std::snprintf(
        styled_.data(), styled_.size(), "%s%s%s%s%s%s%s%s%s%s", font ? "<font" : "", size,
        style.textColor != kNoColor ? " color=\"#" : "", style.textColor != kNoColor ? color : "",
        style.textColor != kNoColor ? "\"" : "", font ? ">" : "", style.bold ? "<b>" : "",
        escaped_.data(), style.bold ? "</b>" : "", font ? "</font>" : "");
    *contentLength = n < 0                                     ? 0
                     : static_cast<size_t>(n) < styled_.size() ? static_cast<size_t>(n)
                                                               : styled_.size() - 1;
    return styled_.data();
}

// Long because the HTML head and the table's header row are written in document order.
void ReportWriter::PutHtmlHeader(int type) {
    sink_.Put("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\r\n");
    const char* title = GetString(IDS_REPORT_TITLE);
    LineStart(kHtmlHeadLineLimit);
    LineAdd("<html><head>");
    if (!language_.charset.empty()) {
        LineAdd("<meta http-equiv='content-type' content='text/html;charset=");
        LineAdd(language_.charset.c_str());
        LineAdd("'>");
    }
    LineAdd("<title>");
    LineAdd(title);
    LineAdd("</title></head>\r\n<body>\r\n");
    if (language_.rightToLeft) LineAdd("<table dir=\"rtl\"><tr><td>\r\n");
    LineAdd(" <h3>");
    LineAdd(title);
    LineAdd("</h3>");
    LineEnd(kCrLf);

    LineStart(kCreditLineLimit);
    LineAdd("<br><h4>");
    LineAdd(GetString(IDS_CREATED_BY));
    LineAdd(" <a href=\"");
    LineAdd(kProductWebAddress);
    LineAdd("\" target=\"newwin\">");
    LineAdd(kProductName);
    LineAdd("</a></h4><p>");
    LineEnd("");

    if (type != kReportHtmlHorizontal) return;
    char color[7];
    LineStart(kHtmlHeaderRowLineLimit);
    LineAdd("<table border=\"1\" cellpadding=\"5\"><tr");
    if (kHeaderBackColor != kNoColor) {
        ColorToHex(kHeaderBackColor, color);
        LineAdd(" bgcolor=\"");
        LineAdd(color);
        LineAdd("\"");
    }
    LineAdd(">");
    LineEnd(kCrLf);
    for (size_t i = 0; i < columnCount_; ++i) {
        const Column& column = columns_[i];
        LineStart(kHtmlHeaderRowLineLimit);
        LineAdd("<th");
        if (column.htmlWidth[0] != '\0') {
            LineAdd(" width=\"");
            LineAdd(column.htmlWidth);
            LineAdd("\"");
        }
        LineAdd(">");
        if (kHeaderTextColor != kNoColor) {
            ColorToHex(static_cast<uint32_t>(kHeaderTextColor), color);
            LineAdd("<font color=\"");
            LineAdd(color);
            LineAdd("\">");
        }
        LineAdd(column.title, column.titleLength);
        if (kHeaderTextColor != kNoColor) LineAdd("</font>");
        LineEnd(kCrLf);
    }
}

void ReportWriter::PutHtmlFooter(int type) {
    if (type == kReportHtmlHorizontal) sink_.Put("</table>\r\n");
    if (language_.rightToLeft) sink_.Put("</table>");
    sink_.Put("\r\n</body></html>");
}

void ReportWriter::PutHtmlRow(const DownloadItem& item) {
    char color[7];
    sink_.Put("<tr>", 4);
    for (size_t i = 0; i < columnCount_; ++i) {
        const Column& column = columns_[i];
        const CellStyle style = CellStyleFor(i);
        ColorToHex(static_cast<uint32_t>(style.background), color);
        LineStart(kReportLineLimit);
        LineAdd("<td bgcolor=#", 13);
        LineAdd(color, 6);
        if (column.nowrap) {
            LineAdd(" nowrap>", 8);
        } else {
            LineAdd(">", 1);
        }
        size_t length = 0;
        const char* content =
            HtmlCellContent(Cell(item, column), style, lineLimit_ - lineLength_, &length);
        LineAdd(content, length);
        LineEnd("");
    }
    sink_.Put(kCrLf, 2);
}

void ReportWriter::PutHtmlTable(const DownloadItem& item) {
    char color[7];
    sink_.Put("<table border=\"1\" cellpadding=\"5\">\r\n");
    for (size_t i = 0; i < columnCount_; ++i) {
        const Column& column = columns_[i];
        const CellStyle style = CellStyleFor(i);
        LineStart(kReportLineLimit);
        LineAdd("<tr><td");
        if (kHeaderBackColor != kNoColor) {
            ColorToHex(kHeaderBackColor, color);
            LineAdd(" bgcolor=\"");
            LineAdd(color, 6);
            LineAdd("\"");
        }
        LineAdd(" nowrap><b>");
        if (kHeaderTextColor != kNoColor) {
            ColorToHex(static_cast<uint32_t>(kHeaderTextColor), color);
            LineAdd("<font color=\"");
            LineAdd(color, 6);
            LineAdd("\">");
        }
        LineAdd(column.title, column.titleLength);
        if (kHeaderTextColor != kNoColor) LineAdd("</font>");
        LineAdd("</b><td bgcolor=#");
        ColorToHex(static_cast<uint32_t>(style.background), color);
        LineAdd(color, 6);
        if (column.nowrap) LineAdd(" nowrap");
        LineAdd(">");
        size_t length = 0;
        const char* content =
            HtmlCellContent(Cell(item, column), style, lineLimit_ - lineLength_, &length);
        LineAdd(content, length);
        LineEnd(kCrLf);
    }
    sink_.Put("</table><p>");
    sink_.Put(kCrLf, 2);
}

// ---- XML ----

void ReportWriter::PutXmlItem(const DownloadItem& item) {
    sink_.Put("<item>\r\n");
    for (size_t i = 0; i < columnCount_; ++i) {
        const Column& column = columns_[i];
        // The closing tag always fits: the escaped text is cut to the room left for it.
        const size_t tags = 2 * column.tagLength + 5;
        const size_t room = kReportLineLimit > tags ? kReportLineLimit - tags : 0;
        const size_t length = XmlEscape(Cell(item, column), escaped_.data(), room + 1);
        LineStart(kReportLineLimit);
        LineAdd("<", 1);
        LineAdd(column.tag, column.tagLength);
        LineAdd(">", 1);
        LineAdd(escaped_.data(), length);
        LineAdd("</", 2);
        LineAdd(column.tag, column.tagLength);
        LineAdd(">", 1);
        LineEnd(kCrLf);
    }
    sink_.Put("</item>\r\n");
}

bool WriteReport(DownloadListView& list, const AppSettings& settings, const LanguageState& language,
                 FileSystem& files, int type, const std::string& fileName, bool selectedOnly,
                 uint32_t* error) {
    ReportWriter writer(list, language);
    writer.SetExportHeaderLine(settings.AddExportHeaderLine != 0);
    return writer.WriteReportFile(files, type, fileName, selectedOnly, error);
}

}  // namespace vm
