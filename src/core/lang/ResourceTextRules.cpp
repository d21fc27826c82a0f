#include "core/lang/ResourceTextRules.h"

#include "core/ini/IniFile.h"

namespace vm {
namespace {

constexpr int kCrashReportDialogId = 107;

}  // namespace

int MenuKeyCounter::KeyFor(bool isPopup, bool topLevel, int position, uint32_t commandId) {
    if (!isPopup) return static_cast<int>(commandId);
    if (topLevel) return kTopLevelPopupKeyBase + position;
    return kNestedPopupKeyBase + ++nestedPopups_;
}

std::string TranslatedMenuText(std::string_view translation, std::string_view builtinText) {
    std::string text(translation);
    const size_t tab = builtinText.find('\t');
    if (tab != std::string_view::npos) text.append(builtinText.substr(tab));
    if (text.size() > kMaxMenuText) text.resize(kMaxMenuText);
    return text;
}

std::string SavedMenuText(std::string_view builtinText) {
    return std::string(builtinText.substr(0, builtinText.find('\t')));
}

std::string ControlKey(int controlId) { return std::to_string(controlId); }

bool ControlTextSaved(int controlId, std::string_view text, std::string_view className) {
    return controlId > 0 && !text.empty() && !IniEqualNoCase(className, "sysdatetimepick32");
}

bool DialogExcludedFromLanguageFile(int dialogId) { return dialogId == kCrashReportDialogId; }

std::string_view MirroredLabelText(std::string_view text) {
    const size_t last = text.find_last_not_of(' ');
    if (last == std::string_view::npos) return text;
    return text.substr(0, last + 1);
}

}  // namespace vm
