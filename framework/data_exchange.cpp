#include "framework/data_exchange.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/dialog.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string windowText(HWND hWnd) {
    int length = GetWindowTextLengthA(hWnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(hWnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

bool isRadioButton(HWND hWnd) {
    return (SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

} // namespace

HWND CDataExchange::PrepareCtrl(int nIDC) {
    if (m_bFailed)
        return nullptr;
    HWND control = m_pDlgWnd->GetDlgItem(nIDC);
    // A missing control is the program's own mistake; the exchange cannot go on without it.
    if (!control)
        m_bFailed = true;
    m_hWndLastControl = control;
    return control;
}

void CDataExchange::Fail(LPCSTR prompt) {
    m_pDlgWnd->MessageBox(prompt, nullptr, MB_OK | MB_ICONEXCLAMATION);
    // WM_NEXTDLGCTL rather than SetFocus: the dialog then also moves its default button and
    // selects an edit's text, as when the user tabs there.
    if (m_hWndLastControl)
        m_pDlgWnd->SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), TRUE);
    m_bFailed = true;
}

bool ParseDecimalInt(LPCSTR text, int& value) {
    const char* p = text;
    while (*p == ' ')
        ++p;
    const char* number = p;
    if (*p == '+' || *p == '-')
        ++p;
    if (!isDigit(*p))
        return false;
    while (isDigit(*p))
        ++p;
    while (*p == ' ')
        ++p;
    if (*p != '\0')
        return false;
    // The text is known to be well formed: strtoll only has to say whether it fits.
    errno = 0;
    long long parsed = std::strtoll(number, nullptr, 10);
    if (errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (!control)
        return;
    if (!pDX->m_bSaveAndValidate) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        SetWindowTextA(control, text);
        return;
    }
    if (!ParseDecimalInt(windowText(control).c_str(), value))
        pDX->Fail("Please enter an integer.");
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    if (!first)
        return;
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND button = first; button; button = GetWindow(button, GW_HWNDNEXT)) {
        if (button != first && (GetWindowLongPtrA(button, GWL_STYLE) & WS_GROUP))
            break;
        if (!isRadioButton(button))
            continue;
        if (pDX->m_bSaveAndValidate) {
            if (value == -1 && SendMessageA(button, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
                value = index;
        } else {
            SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || pDX->Failed())
        return;
    if (value >= minVal && value <= maxVal)
        return;
    char prompt[80];
    std::snprintf(prompt, sizeof prompt, "Please enter an integer between %d and %d.", minVal,
                  maxVal);
    pDX->Fail(prompt);
}
