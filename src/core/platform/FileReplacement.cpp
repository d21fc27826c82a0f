#include "core/platform/FileReplacement.h"

#include <memory>

namespace vm {

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
    const std::string temporary = path + kReplacementSuffix;
    std::unique_ptr<OutputFile> out = fileSystem.CreateForWriting(temporary, error);
    if (out == nullptr) return false;
    const bool written = write(*out) && out->FlushToDisk();
    const bool closed = out->Close();
    if (!written || !closed) {
        *error = out->Error() != 0 ? out->Error() : kErrorWriteFault;
        fileSystem.Remove(temporary);
        return false;
    }
    if (!fileSystem.MoveOver(temporary, path, error)) {
        fileSystem.Remove(temporary);
        return false;
    }
    return true;
}

}  // namespace vm
