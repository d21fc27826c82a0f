#include "core/list/FindInList.h"

namespace vm {

FindAction FindActionOf(uint32_t flags) {
    if (flags & kFindDialogClosing) return FindAction::Closed;
    if (flags & kFindNextRequest) return FindAction::Search;
    return FindAction::None;
}

FindRequest FindRequestOf(uint32_t flags, const char* text, size_t bufferBytes) {
    FindRequest request;
    size_t length = 0;
    while (text != nullptr && length < bufferBytes && text[length] != '\0') ++length;
    if (length > kMaxFindText) length = kMaxFindText;
    if (text != nullptr) request.text.assign(text, length);
    request.down = (flags & kFindDown) != 0;
    request.matchCase = (flags & kFindMatchCase) != 0;
    request.wholeWord = (flags & kFindWholeWord) != 0;
    return request;
}

}  // namespace vm
