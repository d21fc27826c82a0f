// The INI parser on arbitrary bytes: no crash, and writing a parsed document then parsing
// it again gives the same document.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/ini/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vm::IniFile file;
    if (!file.Parse(std::string(text))) return 0;
    std::string_view value;
    file.Find("General", "NumOfDownloads", &value);
    const std::string once = file.Serialize();
    vm::IniFile again;
    if (!again.Parse(once) || again.Serialize() != once) std::abort();
    // A value set by the program reads back exactly, whatever it holds.
    const std::string written(text.substr(0, 64));
    again.Set("Fuzz", "Value", written);
    vm::IniFile reread;
    if (!reread.Parse(again.Serialize()) || !reread.Find("fuzz", "VALUE", &value)) std::abort();
    std::string expected = written.substr(0, written.find('\0'));
    for (char& c : expected) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    if (value != expected) std::abort();
    return 0;
}
