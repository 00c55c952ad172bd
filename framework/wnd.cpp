#include "framework/wnd.h"

#include "framework/win_app.h"

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) const {
    return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}
