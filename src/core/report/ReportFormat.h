#pragma once
#include <cstddef>
#include <cstdint>

#include "core/base/FilterList.h"

namespace vm {

// The report formats; the same numbers serve the Save dialog's filter index, the
// AutoReportType option and the export switches.
enum ReportType : int {
    kReportText = 1,
    kReportTabDelimited = 2,
    kReportTabular = 3,
    kReportHtmlHorizontal = 4,
    kReportHtmlVertical = 5,
    kReportXml = 6,
    kReportCommaDelimited = 7,
};
constexpr int kFirstReportType = kReportText;
constexpr int kLastReportType = kReportCommaDelimited;
constexpr int kReportTypeCount = kLastReportType;

inline bool IsReportType(int type) { return type >= kFirstReportType && type <= kLastReportType; }

// Output limits, in characters without the NUL: a formatted line, an escaped cell and a
// styled cell; the XML root line and element names; the HTML head line, the credit
// line and each line of the horizontal header row.
constexpr size_t kReportLineLimit = 8191;
constexpr size_t kXmlNameLimit = 255;
constexpr size_t kHtmlHeadLineLimit = 8191;
constexpr size_t kCreditLineLimit = 1023;
constexpr size_t kHtmlHeaderRowLineLimit = 16383;

// The product named, and the address linked, by the HTML credit line.
constexpr const char kProductName[] = "Velocimark";
constexpr const char kProductWebAddress[] = "https://velocimark.example.org/";

// Colours are 0x00BBGGRR; kNoColor leaves a colour unset.
constexpr int64_t kNoColor = -1;
constexpr uint32_t kHeaderBackColor = 0xE0E0E0;
constexpr int64_t kHeaderTextColor = kNoColor;
constexpr uint32_t kCellBackColor = 0xFFFFFF;

// Copies text to out with < > " & 0xB0 and LF written as entities (LF as "<br>"); a
// replacement that would not fit within size - 1 characters ends the copy. Returns the
// length written (out is always NUL-terminated when size > 0).
size_t HtmlEscape(const char* text, char* out, size_t size);
// The same for XML element content, which must stay well-formed: < > " & as entities, LF
// and CR as character references (a "<br>" would open an element that never closes, and
// XML knows no "&deg;"), other control characters, which XML cannot hold at all, as "?".
size_t XmlEscape(const char* text, char* out, size_t size);

// Six upper-case hex digits, red, green, blue, and a NUL.
void ColorToHex(uint32_t color, char out[7]);

// An XML element name from an untranslated title: at most kXmlNameLimit characters,
// space \ / ( ) made "_", ASCII letters lower-cased. Returns the length.
size_t XmlTagName(const char* title, char* out, size_t size);

// The Save dialog's pattern for a report type ("*.txt" ...); "" for an unknown type.
const char* ReportFilePattern(int type);
// The export switch of a report type ("/stext" ...); "" for an unknown type.
const char* ReportSwitch(int type);

// The Save dialog's filter list of the seven types, named by their translated texts.
bool BuildReportFilterList(std::string* list);

}  // namespace vm
