#pragma once
#include <cstddef>
#include <string>

#include "core/base/PathRules.h"
#include "core/engine/DownloadItem.h"

namespace vm {

class DownloadListView;
class FileSystem;

// Where "://" may start for a line to count as a URL: a scheme of 3 to 9 characters.
constexpr size_t kMinSchemeLength = 3;
constexpr size_t kMaxSchemeLength = 9;
// Largest URL list file read; a larger one is not read at all (the 32-bit process would
// run out of memory holding its items long before).
constexpr size_t kMaxUrlListFileBytes = 64u * 1024 * 1024;

// One line of a URL list split into its URL and display name, both kept whole: a URL over
// its bound fails at its attempt instead of fetching a shortened one.
struct UrlListLine {
    std::string url;
    std::string name;
};

// Splits a line: a URL in double quotes, or up to the first space, then the name after
// the separating spaces. False when the URL is neither a URL with a scheme nor a local path.
[[nodiscard]] bool ParseUrlListLine(const std::string& line, UrlListLine* out);

// Whether a URL may enter the list: "://" first found 3 to 9 characters in, or a local
// or network path.
bool IsAcceptedUrl(const std::string& url);

// Appends one item per accepted line of the text (CR, LF or CR LF end a line; a NUL ends
// the text), up to kMaxDownloadItems in the list: a configuration load takes no more.
// Returns how many were appended.
size_t ParseUrlList(DownloadListView& list, const std::string& text);

// Reads a URL list file and parses it. False, with nothing added, when the file cannot be
// opened or read; *added (optional) tells how many items came in.
[[nodiscard]] bool ReadUrlListFile(FileSystem& files, const std::string& path,
                                   DownloadListView& list, size_t* added = nullptr);

// Appends a local-file item: the whole path as URL, its file name as name.
// False when the list is full (kMaxDownloadItems).
bool AddLocalFile(DownloadListView& list, const std::string& path);

// The description of the Add File chooser's one filter: string 701 when a translation
// gives it a text, else string 2000 ("All Files"), so the filter never reads " (*.*)".
const char* AddFileFilterName();

}  // namespace vm
