#pragma once
#include <cstdint>
#include <string>

#include "core/platform/AppendFile.h"

namespace vm {

// The history file's name when the Options menu turns the history on; it goes beside the
// configuration file.
constexpr const char kDefaultHistoryFile[] = "velocimark_history.jsonl";

// The HistoryFile option as the run keeps it: a watch keeps a history even where none was
// asked for, since its alerts are judged on it. "" when the options keep none.
std::string KeptHistoryName(const std::string& optionName, bool watching);

// Where this run's history goes, "" when no history is kept. A name given on the command
// line ("/history FILE") wins and is placed like an export file (in the program's folder
// unless it has a backslash); the HistoryFile option is placed beside the configuration
// file. "" also when the path would be too long.
std::string HistoryFilePath(const std::string& commandLineName, const std::string& optionName,
                            const std::string& programFolder, const std::string& configPath);

// The bytes that add one run (its compact JSON document) to a history: the document and a
// line feed, after a line feed of its own when the file ends in a line that a crash cut
// short, so that the torn line stays alone and the new one whole.
std::string HistoryLineToAppend(const std::string& compactDocument, bool fileEndsMidLine);

// Appends the run in one write through a file whose lock is held. False with the error
// code when it could not be written; a document over kMaxHistoryLineBytes (or none) is
// refused with kErrorFileTooLarge, since the reader would skip it. A write that fails
// cuts the file back to its old length, so a full disk leaves no partial line (which
// would also glue the next run to it).
[[nodiscard]] bool AppendRunToHistory(AppendFile& file, const std::string& compactDocument,
                                      uint32_t* error);

}  // namespace vm
