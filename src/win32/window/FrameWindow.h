#pragma once
#include <windows.h>

#include <string>

namespace vm {

// A top-level window bound to its object. The one window procedure finds the object in the
// window's GWLP_USERDATA slot (set at WM_CREATE) and calls its WindowProc; a derived class handles
// its own messages there and passes the others to Dispatch, which routes the common ones to the
// virtual handlers.
class FrameWindow {
public:
    FrameWindow(const char* className, HICON icon);
    virtual ~FrameWindow();

    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    // Registers the class and creates the window with this object as its creation
    // parameter.
    // parent HWND_MESSAGE makes a message-only window, which needs no display.
    bool Create(const char* title, DWORD style, int x, int y, int width, int height,
                HWND parent = nullptr);

    HWND Handle() const { return hwnd_; }
    bool IsCreated() const { return created_; }

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnCommand(UINT code, WPARAM wParam, LPARAM lParam);
    virtual void OnNotify(WPARAM wParam, LPARAM lParam);
    virtual void OnDestroy();
    // The desktop session is ending (WM_QUERYENDSESSION, or WM_ENDSESSION that ends it).
    virtual void OnEndSession();
    virtual void OnSize();
    virtual void OnCreate();

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // A handler that wants a particular result from the window procedure sets it here.
    void SetResult(LRESULT result);

    // Greys or enables a command in the sub-menu at menuPosition and on the toolbar.
    void EnableCommand(int menuPosition, UINT commandId, bool enabled);
    void CheckCommand(int menuPosition, UINT commandId, bool checked);
    void SetToolbar(HWND toolbar) { toolbar_ = toolbar; }

    UINT lastMessage_ = 0;
    WPARAM lastWParam_ = 0;
    LPARAM lastLParam_ = 0;

private:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::string className_;
    HICON icon_;
    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    bool handled_ = false;
    LRESULT result_ = 0;
    bool created_ = false;
};

// A Yes/No question box captioned with the program's name; returns IDYES or IDNO.
int AskYesNo(HWND owner, const char* text);

void CenterOnScreen(HWND window);

}  // namespace vm
