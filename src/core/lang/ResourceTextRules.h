#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vm {

// The keys and texts that menus and dialogs use in the language file; the GUI walks its
// resources with these, both when translating and when saving a language file.

constexpr int kTopLevelPopupKeyBase = 70001;  // + position among the top-level items
constexpr int kNestedPopupKeyBase = 71000;    // + running count of nested pop-ups with text
constexpr size_t kMaxMenuText = 4095;

// Walks one menu; the counter of nested pop-ups runs over the whole menu.
class MenuKeyCounter {
public:
    // The key of an item with a non-empty text: its command id for a command item,
    // 70001 + position for a pop-up of the top level, otherwise 71000 + the next count.
    int KeyFor(bool isPopup, bool topLevel, int position, uint32_t commandId);

private:
    int nestedPopups_ = 0;
};

// A translated menu text: the translation, then the built-in text's accelerator part (from
// its first tab on), cut to kMaxMenuText characters.
std::string TranslatedMenuText(std::string_view translation, std::string_view builtinText);

// The text a saved file gets for a menu item: the built-in text cut at its first tab.
std::string SavedMenuText(std::string_view builtinText);

// The key of a dialog control: its id in decimal ("-" and digits for a negative id).
std::string ControlKey(int controlId);

// Whether a saved file gets a control's text: an id above 0, a text, and not a date picker
// (whose text is the current date).
bool ControlTextSaved(int controlId, std::string_view text, std::string_view className);

// The text a label or button shows in right-to-left layout: its trailing spaces would be
// drawn at the start of the reading order and push the first letters out of the control,
// so they go (only from the shown text; the resource and the language file keep them).
// An all-space text stays as it is.
std::string_view MirroredLabelText(std::string_view text);

// Dialogs a saved file leaves out: the crash report dialog, which is never translated.
bool DialogExcludedFromLanguageFile(int dialogId);

}  // namespace vm
