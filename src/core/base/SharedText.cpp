#include "core/base/SharedText.h"

#include <utility>

namespace vm {

SharedText::SharedText(std::string text) {
    if (!text.empty()) text_ = std::make_shared<const std::string>(std::move(text));
}

const std::string& SharedText::str() const {
    static const std::string kEmpty;
    return text_ ? *text_ : kEmpty;
}

}  // namespace vm
