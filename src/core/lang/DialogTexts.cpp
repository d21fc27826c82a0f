#include "core/lang/DialogTexts.h"

#include "core/lang/ResourceTextRules.h"

namespace vm {

void SaveDialogTexts(int dialogId, const DialogTexts& texts, LanguageFileWriter& writer) {
    writer.SetSection(DialogSectionName(dialogId));
    if (!texts.caption.empty()) writer.WriteIfAbsent(language_key::kCaption, texts.caption);
    for (const DialogControlText& control : texts.controls) {
        if (ControlTextSaved(control.id, control.text, control.className)) {
            writer.WriteIfAbsent(ControlKey(control.id), control.text);
        }
    }
}

}  // namespace vm
