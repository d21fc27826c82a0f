#pragma once
#include <string>
#include <vector>

#include "core/lang/LanguageFile.h"

namespace vm {

// One child window of a dialog made from its template, as a saved language file sees it.
struct DialogControlText {
    int id = 0;
    std::string text;
    std::string className;
};

struct DialogTexts {
    std::string caption;
    std::vector<DialogControlText> controls;
};

// Adds a dialog's caption and control texts under "dialog_<id>" where the keys are absent;
// controls without an id above 0 or without text, and date pickers, are left out.
void SaveDialogTexts(int dialogId, const DialogTexts& texts, LanguageFileWriter& writer);

}  // namespace vm
