#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

// A file opened for appending by one writer at a time: while the object lives, no other
// process's appender can write to the file, so what it appends lands in one piece.
class AppendFile {
public:
    virtual ~AppendFile() = default;
    // The file's last byte; false when the file is empty (or it cannot be read).
    virtual bool LastByte(char* byte) = 0;
    // Puts data at the end of the file with a single write; false with the platform's
    // error code when the write failed or fell short.
    [[nodiscard]] virtual bool Append(const std::string& data, uint32_t* error) = 0;
    // The file's length; false when it cannot be told.
    [[nodiscard]] virtual bool Size(uint64_t* size) = 0;
    // Cuts the file back to size (after an append that failed part-way); false when not.
    [[nodiscard]] virtual bool CutBackTo(uint64_t size) = 0;
};

}  // namespace vm
