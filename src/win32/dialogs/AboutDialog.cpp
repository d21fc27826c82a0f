#include "win32/dialogs/AboutDialog.h"

#include "core/base/TextUtil.h"
#include "core/dialogs/AboutTexts.h"
#include "core/lang/LanguageFile.h"
#include "core/report/ReportFormat.h"
#include "resource.h"
#include "win32/platform/WindowDpi.h"
#include "win32/window/FrameWindow.h"
#include "win32/window/MakeFont.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

constexpr COLORREF kLinkColor = RGB(0, 0, 192);
constexpr char kLinkFontFace[] = "MS Sans Serif";
constexpr int kLinkFontHeight = 10;  // at 96 DPI

}  // namespace

AboutDialog::AboutDialog() : DialogBase(IDD_ABOUT) {}

AboutDialog::~AboutDialog() {
    if (linkFont_ != nullptr) DeleteObject(linkFont_);
}

void AboutDialog::SetTexts(const std::string& productText, const std::string& linkText) {
    productText_ = productText.substr(0, kAboutProductTextLimit);
    linkText_ = linkText.substr(0, kAboutLinkTextLimit);
}

bool AboutDialog::TranslatorIsLink() const { return !TranslatorUrl().empty(); }

int AboutDialog::LinkUnder(LPARAM clientPoint) const {
    const POINT point = {static_cast<short>(LOWORD(clientPoint)),
                         static_cast<short>(HIWORD(clientPoint))};
    // Hidden controls do not count: without a translator name its line is not there.
    HWND child = ChildWindowFromPointEx(Handle(), point, CWP_SKIPINVISIBLE);
    if (child == nullptr || child == Handle()) return 0;
    const int id = GetDlgCtrlID(child);
    if (id == IDC_ABOUT_LINK) return id;
    if (id == IDC_ABOUT_TRANSLATOR && TranslatorIsLink()) return id;
    return 0;
}

void AboutDialog::OnInit() {
    HWND dialog = Handle();
    const std::string& translator = TranslatorName();
    if (!translator.empty()) {
        SetDlgItemTextA(dialog, IDC_ABOUT_TRANSLATOR, translator.c_str());
    } else {
        ShowWindow(Item(IDC_ABOUT_TRANSLATION), SW_HIDE);
        ShowWindow(Item(IDC_ABOUT_TRANSLATOR), SW_HIDE);
    }
    SetWindowTextA(dialog, kProductName);
    SetDlgItemTextA(dialog, IDC_ABOUT_PRODUCT, productText_.c_str());
    SetDlgItemTextA(dialog, IDC_ABOUT_LINK, linkText_.c_str());
    linkFont_ = MakeFont(kLinkFontFace, ScaleToDpi(kLinkFontHeight, WindowDpi(dialog)), true);
    SendDlgItemMessageA(dialog, IDC_ABOUT_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_),
                        FALSE);
    if (TranslatorIsLink()) {
        SendDlgItemMessageA(dialog, IDC_ABOUT_TRANSLATOR, WM_SETFONT,
                            reinterpret_cast<WPARAM>(linkFont_), FALSE);
    }
    CenterOnScreen(dialog);
}

INT_PTR AboutDialog::OnColorStatic(HDC dc, HWND control) const {
    const int id = GetDlgCtrlID(control);
    if (id != IDC_ABOUT_LINK && !(id == IDC_ABOUT_TRANSLATOR && TranslatorIsLink())) return 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLinkColor);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR AboutDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit();
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_MOUSEMOVE:
            if (LinkUnder(lParam) == 0) return 0;
            SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR)));
            return 1;
        case WM_LBUTTONUP:
            switch (LinkUnder(lParam)) {
                case IDC_ABOUT_LINK:
                    ShellOpen(Handle(), linkText_);
                    return 1;
                case IDC_ABOUT_TRANSLATOR:
                    ShellOpen(Handle(), TranslatorUrl());
                    return 1;
                default:
                    return 0;
            }
        case WM_COMMAND:
            // Escape and the close box arrive as Cancel: only OK closes this dialog.
            if (wParam != IDOK) return 0;
            EndDialog(Handle(), IDOK);
            if (linkFont_ != nullptr) {
                DeleteObject(linkFont_);
                linkFont_ = nullptr;
            }
            return 1;
        default:
            return 0;
    }
}

void ShowAboutDialog(HWND owner) {
    AboutDialog dialog;
    dialog.SetTexts(AboutProductText(), AboutLinkText());
    RunModalDialog(dialog, IDD_ABOUT, owner);
}

}  // namespace vm
