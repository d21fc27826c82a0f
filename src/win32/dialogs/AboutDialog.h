#pragma once
#include <windows.h>

#include <string>

#include "win32/window/DialogBase.h"

namespace vm {

// The About dialog (template 112): the product lines, a link to the product's page and,
// when the language file names a translator, a "Translation:" line that is itself a link
// when the translator's address is known. Only OK closes it.
class AboutDialog : public DialogBase {
public:
    AboutDialog();
    ~AboutDialog() override;

    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The texts shown; the opener fills them before the dialog opens.
    void SetTexts(const std::string& productText, const std::string& linkText);

private:
    bool TranslatorIsLink() const;
    // The link control under a point of the client area, or 0.
    int LinkUnder(LPARAM clientPoint) const;
    void OnInit();
    INT_PTR OnColorStatic(HDC dc, HWND control) const;

    std::string productText_;
    std::string linkText_;
    HFONT linkFont_ = nullptr;
};

// Fills the texts and runs the dialog on the owner.
void ShowAboutDialog(HWND owner);

}  // namespace vm
