#include "core/lang/FallbackMessageTable.h"

#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"
#include "core/platform/InternetLibrary.h"
#include "core/platform/ProgramErrors.h"

namespace vm {

bool FallbackMessageTable::Lookup(uint32_t code, MessageModule module, std::string* text) {
    if (platform_.Lookup(code, module, text) && !text->empty()) return true;
    uint32_t id = 0;
    switch (code) {
        case kErrorInvalidServerResponse:
            id = IDS_ERROR_INVALID_RESPONSE;
            break;
        case kErrorRangeStatus:
            id = IDS_RANGE_WRONG_STATUS;
            break;
        case kErrorRangeBytes:
            id = IDS_RANGE_WRONG_RANGE;
            break;
        case kErrorRangeLength:
            id = IDS_RANGE_WRONG_LENGTH;
            break;
        default:
            return false;
    }
    // Ends in a line break like the platform's texts, which the status text turns into spaces.
    *text = std::string(GetString(id)) + "\r\n";
    return true;
}

}  // namespace vm
