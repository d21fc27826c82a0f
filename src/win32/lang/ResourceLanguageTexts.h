#pragma once
#include <windows.h>

#include "core/lang/LanguageFile.h"

namespace vm {

// The menu and dialog texts of a module's own resources for a saved language file: every
// menu, then every dialog but the crash report, each in ascending id order. Dialogs are
// found by enumeration, so a new dialog template needs nothing here.
class ResourceLanguageTexts : public LanguageResourceTexts {
public:
    explicit ResourceLanguageTexts(HMODULE module) : module_(module) {}
    void AddTexts(LanguageFileWriter& writer) override;

private:
    HMODULE module_;
};

}  // namespace vm
