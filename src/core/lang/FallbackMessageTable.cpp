#include "core/lang/FallbackMessageTable.h"

#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"
#include "core/platform/InternetLibrary.h"

namespace vm {

bool FallbackMessageTable::Lookup(uint32_t code, MessageModule module, std::string* text) {
    if (platform_.Lookup(code, module, text) && !text->empty()) return true;
    if (code != kErrorInvalidServerResponse) return false;
    // Ends in a line break like the platform's texts, which the status text turns into spaces.
    *text = std::string(GetString(IDS_ERROR_INVALID_RESPONSE)) + "\r\n";
    return true;
}

}  // namespace vm
