// A window of the framework: its handle and the few calls Kovra makes on it.
#pragma once

#include <windows.h>

// Marks message handlers, as the framework's message maps expect to read them.
#define afx_msg

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL GetClientRect(LPRECT rect) const { return ::GetClientRect(m_hWnd, rect); }
    // The large icon shows in the task switcher, the small one in the caption.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                   reinterpret_cast<LPARAM>(hIcon)));
    }
    void SetDlgItemText(int nID, LPCSTR text) const { ::SetDlgItemTextA(m_hWnd, nID, text); }
    // A null caption gives the application's name, as every prompt of the program carries it.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK) const;

    HWND m_hWnd = nullptr;
};
