#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "win32/window/DialogBase.h"
#include "win32/window/DialogExchange.h"
#include "win32/window/DialogLayout.h"

namespace vm {
namespace {

constexpr int kExchangeTemplate = 9001;
constexpr int kResizeTemplate = 9002;

struct Fields {
    std::string text = "first";
    int32_t number = -42;
    int32_t checked = 1;
    int32_t unit = 3;
    double decimal = 0.5;
};

class ExchangeDialog : public CommandDialog {
public:
    explicit ExchangeDialog(Fields* fields) : CommandDialog(kExchangeTemplate), fields_(fields) {}
    INT_PTR OnInitDialog() override {
        AddComboItem(Handle(), 1004, "KB", 2);
        AddComboItem(Handle(), 1004, "MB", 3);
        return CommandDialog::OnInitDialog();
    }
    void DataExchange(bool toControls) override {
        ExchangeText(Handle(), 1001, toControls, &fields_->text, 255);
        ExchangeInteger(Handle(), 1002, toControls, &fields_->number);
        ExchangeCheck(Handle(), 1003, toControls, &fields_->checked);
        ExchangeComboData(Handle(), 1004, toControls, &fields_->unit);
        ExchangeDecimal(Handle(), 1005, toControls, &fields_->decimal);
    }
    void UpdateControls() override { ++updates; }
    int updates = 0;

private:
    Fields* fields_;
};

TEST(DialogFrameworkTest, OkCommitsTheControlsAndCancelKeepsTheObject) {
    Fields fields;
    ExchangeDialog dialog(&fields);
    std::string shown;
    WhenDialogOpens([&](HWND hwnd) {
        shown = ItemText(hwnd, 1001) + "|" + ItemText(hwnd, 1002) + "|" + ItemText(hwnd, 1005);
        EXPECT_EQ(1, SendDlgItemMessageA(hwnd, 1004, CB_GETCURSEL, 0, 0));
        SetDlgItemTextA(hwnd, 1001, "second");
        SetDlgItemTextA(hwnd, 1002, "not a number");
        SendDlgItemMessageA(hwnd, 1003, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageA(hwnd, 1004, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(hwnd, 1005, "2.34");
        ClickButton(hwnd, IDOK);
    });
    EXPECT_TRUE(dialog.DoModal(nullptr));
    EXPECT_EQ("first|-42|0.5", shown);
    EXPECT_EQ("second", fields.text);
    EXPECT_EQ(0, fields.number);
    EXPECT_EQ(0, fields.checked);
    EXPECT_EQ(2, fields.unit);
    EXPECT_DOUBLE_EQ(2.3, fields.decimal);

    Fields kept;
    ExchangeDialog cancelled(&kept);
    WhenDialogOpens([&](HWND hwnd) {
        SetDlgItemTextA(hwnd, 1001, "changed");
        ClickButton(hwnd, IDCANCEL);
    });
    EXPECT_FALSE(cancelled.DoModal(nullptr));
    EXPECT_EQ("first", kept.text);
}

TEST(DialogFrameworkTest, EditChangesUpdateControlsAndUnknownComboDataKeepsSelection) {
    Fields fields;
    fields.unit = 7;  // no such item
    ExchangeDialog dialog(&fields);
    int afterInit = 0, afterEdit = 0, afterCombo = 0;
    LRESULT selection = 0;
    WhenDialogOpens([&](HWND hwnd) {
        selection = SendDlgItemMessageA(hwnd, 1004, CB_GETCURSEL, 0, 0);
        afterInit = dialog.updates;
        SetDlgItemTextA(hwnd, 1001, "typed");  // the edit notifies EN_CHANGE
        afterEdit = dialog.updates;
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(1004, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, 1004)));
        afterCombo = dialog.updates;
        ClickButton(hwnd, IDOK);
    });
    EXPECT_TRUE(dialog.DoModal(nullptr));
    EXPECT_EQ(CB_ERR, selection);
    EXPECT_EQ(0, fields.unit);
    EXPECT_EQ(afterInit + 1, afterEdit);
    EXPECT_EQ(afterEdit, afterCombo);
}

class ResizeDialog : public CommandDialog {
public:
    ResizeDialog() : CommandDialog(kResizeTemplate) {}
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE) {
            HDWP batch = layout.Begin();
            layout.Move(&batch, 1010, 0, 0, 1, 1);
            layout.Move(&batch, IDOK, 1, 1, 0, 0);
            layout.Move(&batch, IDCANCEL, 1, 1, 0, 0);
            layout.End(batch);
            return 0;
        }
        if (message == WM_GETMINMAXINFO) {
            SetMinimumTrackSize(lParam, 300, 250);
            return 0;
        }
        return CommandDialog::DialogProc(message, wParam, lParam);
    }
    INT_PTR OnInitDialog() override {
        layout.Capture(Handle());
        return CommandDialog::OnInitDialog();
    }
    DialogLayout layout;
};

TEST(DialogFrameworkTest, AnchoredControlsFollowTheEdgesDownToTheMinimumSize) {
    ResizeDialog dialog;
    WhenDialogOpens([&](HWND hwnd) {
        const RECT edit0 = ChildRect(hwnd, 1010), ok0 = ChildRect(hwnd, IDOK);
        RECT window;
        GetWindowRect(hwnd, &window);
        const int width = window.right - window.left, height = window.bottom - window.top;
        SetWindowPos(hwnd, nullptr, 0, 0, width + 100, height + 50, SWP_NOMOVE | SWP_NOZORDER);
        const RECT edit1 = ChildRect(hwnd, 1010), ok1 = ChildRect(hwnd, IDOK);
        EXPECT_EQ(edit0.left, edit1.left);
        EXPECT_EQ(edit0.right + 100, edit1.right);
        EXPECT_EQ(edit0.bottom + 50, edit1.bottom);
        EXPECT_EQ(ok0.left + 100, ok1.left);
        EXPECT_EQ(ok0.top + 50, ok1.top);
        EXPECT_EQ(ok0.right - ok0.left, ok1.right - ok1.left);

        MINMAXINFO info = {};
        SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(300, info.ptMinTrackSize.x);
        EXPECT_EQ(250, info.ptMinTrackSize.y);
        ClickButton(hwnd, IDCANCEL);
    });
    EXPECT_FALSE(dialog.DoModal(nullptr));
    EXPECT_GE(dialog.layout.Count(), 3u);
}

}  // namespace
}  // namespace vm
