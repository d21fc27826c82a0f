// The command-line splitter on arbitrary text: no crash, no quote survives, no argument
// begins with a space, and the switch readers take whatever comes out.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/app/StartupOptions.h"
#include "core/base/ArgumentList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vm::ArgumentList list;
    list.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (list.Count() > size) std::abort();
    for (size_t i = 0; i <= list.Count(); ++i) {
        const char* argument = list.At(i);
        if (std::strchr(argument, '"') != nullptr || argument[0] == ' ') std::abort();
    }
    const vm::StartupOptions options = vm::ReadStartupOptions(list);
    // File names are kept whole (a name over the bound is refused later, never cut), so
    // each is one of the arguments.
    if (options.exportFile.size() > size || options.metricsFile.size() > size) std::abort();
    if (options.historyFile.size() > size) std::abort();
    if (options.pushUrl.size() > vm::kMaxPushUrlLength) std::abort();
    vm::AppSettings settings;
    vm::ApplyCommandLineOverrides(settings, list);
    return 0;
}
