// The report writers fed hostile item texts: every type is written without a crash; the
// HTML reports keep the tags of harmless texts and only valid entities, the XML report is
// well-formed, and the comma-delimited report reads back as the same cells.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/list/ItemCells.h"
#include "core/report/ReportWriter.h"
#include "support/MemoryFileSystem.h"
#include "support/TestList.h"

namespace {

using vm::DownloadItem;

struct Texts {
    std::string url;
    std::string name;
    uint8_t state = 0;
};

// Fields separated by NUL bytes (no cell can hold one): url, name, url, name ...; the byte
// after a name picks the item's state.
std::vector<Texts> SplitInput(std::string_view input) {
    std::vector<Texts> items;
    size_t field = 0;
    while (!input.empty() && items.size() < 4) {
        const size_t end = std::min(input.find('\0'), input.size());
        const std::string_view text = input.substr(0, end);
        input.remove_prefix(end < input.size() ? end + 1 : end);
        if (field % 2 == 0) {
            items.push_back(Texts());
            items.back().url = std::string(text.substr(0, vm::kMaxUrlLength));
        } else {
            items.back().name = std::string(text.substr(0, vm::kMaxNameLength));
            if (!input.empty()) {
                items.back().state = static_cast<uint8_t>(input[0]);
                input.remove_prefix(1);
            }
        }
        ++field;
    }
    return items;
}

std::string Report(const std::vector<Texts>& texts, int type, bool harmless) {
    vm::test::TestList fixture;
    vm::AppSettings& settings = fixture.settings;
    settings.AddExportHeaderLine = 1;
    settings.DontAddDisabled = 0;
    vm::DownloadListView& list = fixture.list;
    for (const Texts& t : texts) {
        DownloadItem item(harmless ? "x" : t.url, harmless ? "x" : t.name, 0);
        item.status = static_cast<vm::DownloadStatus>(1 + t.state % 6);
        item.disabled = (t.state >> 3) & 1;
        item.bytes = t.state * 1000003ull;
        item.serverStatus = (t.state & 0x40) != 0 ? 404 : 0;
        item.startTime = (t.state & 0x80) != 0 ? 133000000000000000ull : 0;
        fixture.Add(item);
    }
    list.Reload();
    vm::test::MemoryFileSystem files;
    uint32_t error = 0;
    if (!vm::WriteReport(list, settings, vm::LanguageState(), files, type, "r", false, &error)) {
        std::abort();
    }
    return files.files["r"];
}

bool StartsWithEntity(std::string_view text, size_t at,
                      std::initializer_list<std::string_view> entities) {
    for (std::string_view entity : entities) {
        if (text.substr(at, entity.size()) == entity) return true;
    }
    return false;
}

// The tags of an HTML report in order ("<br>" left out: a line break in a text is one);
// aborts on a ">" outside a tag, an unknown entity or an unclosed tag.
std::string HtmlTags(std::string_view html) {
    std::string tags;
    size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            const size_t close = html.find('>', i);
            if (close == std::string_view::npos) std::abort();
            const std::string_view tag = html.substr(i, close + 1 - i);
            if (tag.find('<', 1) != std::string_view::npos) std::abort();
            if (tag != "<br>") tags.append(tag.data(), tag.size()).push_back('\n');
            i = close + 1;
            continue;
        }
        if (c == '>') std::abort();
        if (c == '&' &&
            !StartsWithEntity(html, i, {"&amp;", "&lt;", "&gt;", "&quot;", "&deg;", "&nbsp;"})) {
            std::abort();
        }
        ++i;
    }
    return tags;
}

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

// A well-formedness check of the XML report: the declaration, one root element, nested
// elements without attributes, text without markup characters, known references only and
// no control characters XML cannot hold.
void CheckXml(std::string_view xml) {
    const size_t declarationEnd = xml.find("?>");
    if (xml.substr(0, 5) != "<?xml" || declarationEnd == std::string_view::npos) std::abort();
    std::vector<std::string_view> open;
    bool rootSeen = false;
    for (size_t i = declarationEnd + 2; i < xml.size();) {
        const char c = xml[i];
        if (c == '<') {
            const bool closing = i + 1 < xml.size() && xml[i + 1] == '/';
            size_t end = i + (closing ? 2 : 1);
            const size_t nameStart = end;
            while (end < xml.size() && IsNameChar(xml[end])) ++end;
            if (end == nameStart || end >= xml.size() || xml[end] != '>') std::abort();
            const std::string_view name = xml.substr(nameStart, end - nameStart);
            if (closing) {
                if (open.empty() || open.back() != name) std::abort();
                open.pop_back();
            } else {
                if (open.empty() && rootSeen) std::abort();
                rootSeen = true;
                open.push_back(name);
            }
            i = end + 1;
            continue;
        }
        const auto u = static_cast<unsigned char>(c);
        if (c == '>' || (u < 0x20 && c != '\t' && c != '\r' && c != '\n')) std::abort();
        if (open.empty() && c != '\r' && c != '\n' && c != ' ' && c != '\t') std::abort();
        if (c == '&' &&
            !StartsWithEntity(xml, i, {"&amp;", "&lt;", "&gt;", "&quot;", "&#10;", "&#13;"})) {
            std::abort();
        }
        ++i;
    }
    if (!open.empty() || !rootSeen) std::abort();
}

// Records of comma-separated fields as common CSV readers take them: a field in double
// quotes may hold commas, line breaks and doubled quotes; a record ends at CR LF or LF.
std::vector<std::vector<std::string>> ParseCsv(std::string_view csv) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    size_t i = 0;
    bool fieldStarted = false;
    while (i < csv.size()) {
        const char c = csv[i];
        if (!fieldStarted && c == '"') {
            ++i;
            for (;;) {
                if (i >= csv.size()) std::abort();  // an unclosed quote
                if (csv[i] == '"') {
                    if (i + 1 < csv.size() && csv[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += csv[i++];
            }
            fieldStarted = true;
            if (i < csv.size() && csv[i] != ',' && csv[i] != '\r' && csv[i] != '\n') std::abort();
            continue;
        }
        if (c == ',') {
            row.push_back(field);
            field.clear();
            fieldStarted = false;
            ++i;
        } else if (c == '\r' || c == '\n') {
            i += (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') ? 2 : 1;
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            fieldStarted = false;
        } else {
            if (c == '"') std::abort();  // a quote inside an unquoted field
            field += c;
            fieldStarted = true;
            ++i;
        }
    }
    if (fieldStarted || !row.empty()) std::abort();  // every record ends with CR LF
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<Texts> texts =
        SplitInput(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int type = vm::kFirstReportType; type <= vm::kLastReportType; ++type) {
        const std::string report = Report(texts, type, false);
        if (type == vm::kReportHtmlHorizontal || type == vm::kReportHtmlVertical) {
            if (HtmlTags(report) != HtmlTags(Report(texts, type, true))) std::abort();
        } else if (type == vm::kReportXml) {
            CheckXml(report);
        } else if (type == vm::kReportCommaDelimited) {
            const auto rows = ParseCsv(report);
            if (rows.size() != texts.size() + 1) std::abort();
            for (size_t r = 0; r < rows.size(); ++r) {
                if (rows[r].size() != rows[0].size() || rows[r].size() < 2) std::abort();
                // The default layout starts with URL and Name.
                if (r > 0 && (rows[r][0] != texts[r - 1].url || rows[r][1] != texts[r - 1].name)) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
