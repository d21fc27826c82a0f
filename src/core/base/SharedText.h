#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace vm {

// A text that never changes once made, shared by every copy: a list of 100,000 items that
// failed the same way holds their error message once. A plain value all the same: setting
// a copy gives it a text of its own.
class SharedText {
public:
    SharedText() = default;
    explicit SharedText(std::string text);

    const std::string& str() const;
    const char* c_str() const { return str().c_str(); }
    size_t size() const { return str().size(); }
    bool empty() const { return str().empty(); }
    void clear() { text_.reset(); }
    // Whether both are one stored text (not merely equal ones).
    bool SharesWith(const SharedText& other) const { return text_ == other.text_; }

private:
    std::shared_ptr<const std::string> text_;  // none: empty
};

}  // namespace vm
