#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// The command line's arguments after the program name.
class ArgumentList {
public:
    // Splits a command line: only spaces separate (runs count as one; tabs are ordinary
    // characters); a double quote toggles quoting and is dropped, and inside quotes a
    // space belongs to the argument unless the argument has no other character yet; ""
    // followed by a space is an empty argument, except at the very end. No escapes.
    void Parse(std::string_view commandLine);

    size_t Count() const { return offsets_.size(); }
    // The i-th argument, or "" past the end.
    const char* At(size_t i) const;
    // Index of the first argument equal to name, case-insensitively, or -1.
    int Find(std::string_view name) const;

private:
    std::string pool_;  // every argument with its NUL
    std::vector<size_t> offsets_;
};

// Case-insensitive comparison of a command-line argument with a switch name. Switches are
// ASCII, and no byte of a multibyte character can equal an ASCII one in the same place
// unless the whole texts differ, so folding ASCII letters matches the multibyte rule.
bool ArgumentEquals(std::string_view argument, std::string_view name);

}  // namespace vm
