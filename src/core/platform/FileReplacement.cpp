#include "core/platform/FileReplacement.h"

#include <memory>

#include "core/platform/OutputPath.h"

namespace vm {
namespace {

// The platform's path bound (MAX_PATH without the NUL): a longer temporary name would not
// be created, and a failed save must not come from the name we chose.
constexpr size_t kMaxTemporaryPath = 259;
constexpr int kTemporaryNameTries = 10;

// A temporary name beside path that names no existing file: a file of the user's that
// happens to be called like our temporary one is neither replaced nor removed.
bool TemporaryNameBeside(FileSystem& fileSystem, const std::string& path, std::string* name) {
    const size_t slash = path.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    for (int i = 0; i < kTemporaryNameTries; ++i) {
        const std::string number = i == 0 ? std::string() : std::to_string(i);
        // Beside a name near the bound, a short name in the same folder still fits.
        std::string candidate = path + kReplacementSuffix + number;
        if (candidate.size() > kMaxTemporaryPath) candidate = folder + "~vm" + number + ".new";
        if (candidate.size() > kMaxTemporaryPath) return false;
        if (!fileSystem.Exists(candidate)) {
            *name = std::move(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace

bool FileSystem::MoveOver(const std::string& source, const std::string& target, uint32_t* error) {
    std::string content;
    if (!ReadWhole(source, static_cast<size_t>(-1), &content, error)) return false;
    std::unique_ptr<OutputFile> out = CreateForWriting(target, error);
    if (out == nullptr) return false;
    const bool written = out->Write(content);
    if (!out->Close() || !written) {
        *error = out->Error();
        return false;
    }
    Remove(source);
    return true;
}

bool WriteFileReplacing(FileSystem& fileSystem, const std::string& path,
                        const std::function<bool(OutputFile&)>& write, uint32_t* error) {
    // A device, a stream of another file or a cut name is never the file that was asked for.
    switch (CheckOutputPath(path)) {
        case OutputPathProblem::None:
            break;
        case OutputPathProblem::TooLong:
            *error = kErrorFilenameTooLong;
            return false;
        case OutputPathProblem::Device:
        case OutputPathProblem::Stream:
            *error = kErrorInvalidName;
            return false;
    }
    std::string target;
    if (!fileSystem.ReplacementTarget(path, &target, error)) return false;
    std::string temporary;
    if (!TemporaryNameBeside(fileSystem, target, &temporary)) {
        *error = kErrorFilenameTooLong;
        return false;
    }
    std::unique_ptr<OutputFile> out = fileSystem.CreateForWriting(temporary, error);
    if (out == nullptr) return false;
    const bool written = write(*out) && out->FlushToDisk();
    const bool closed = out->Close();
    if (!written || !closed) {
        *error = out->Error() != 0 ? out->Error() : kErrorWriteFault;
        fileSystem.Remove(temporary);
        return false;
    }
    if (!fileSystem.MoveOver(temporary, target, error)) {
        fileSystem.Remove(temporary);
        return false;
    }
    return true;
}

}  // namespace vm
