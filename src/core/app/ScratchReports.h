#pragma once
#include <string>
#include <vector>

#include "core/platform/FileSystem.h"

namespace vm {

// The quick reports that the window writes for the viewer (testreport.html and .txt beside
// the program). Only a file this process created is ever removed at exit: a file of that
// name that was there before is the user's and is neither replaced nor removed (the report
// goes to "testreport-2.html" ... instead), and a file that the automatic report or an
// export then wrote is theirs to keep.
class ScratchReports {
public:
    explicit ScratchReports(FileSystem& files) : files_(files) {}

    // The path to write the scratch report meant for `wanted` to: wanted itself when this
    // process owns it or it does not exist, else the first free numbered name beside it.
    // "" when none is free.
    std::string PathFor(const std::string& wanted);
    // The scratch report at path was written: the file is ours unless it was there before.
    void Written(const std::string& path);
    // Something other than a scratch report wrote path (automatic report, export).
    void Disown(const std::string& path);
    // Removes the scratch files this process created; done at exit.
    void RemoveOwn();

    bool Owns(const std::string& path) const;

private:
    FileSystem& files_;
    std::vector<std::string> owned_;
    std::vector<std::string> created_;  // chosen by PathFor while absent, not yet written
};

}  // namespace vm
