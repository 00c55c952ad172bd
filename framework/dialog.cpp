#include "framework/dialog.h"

#include <commctrl.h>

#include "framework/data_exchange.h"
#include "framework/win_app.h"

namespace {

// For these messages a dialog procedure returns the result itself; for all others the result
// goes into DWLP_MSGRESULT and the procedure returns TRUE.
bool returnsResultDirectly(UINT message) {
    switch (message) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

// Templates may name the common controls (the trackbar); their classes must exist first.
void registerCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)registered;
}

const AFX_MSGMAP_ENTRY emptyMessageMap[] = {{0, 0, 0, nullptr}};

} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    registerCommonControls();
    HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::EndDialog(int nResult) {
    ::EndDialog(m_hWnd, nResult);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

const AFX_MSGMAP_ENTRY* CDialog::GetMessageMap() const {
    return emptyMessageMap;
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_INITDIALOG) {
        *pResult = OnInitDialog();
        return TRUE;
    }
    for (const AFX_MSGMAP_ENTRY* entry = GetMessageMap(); entry->pfn; ++entry) {
        if (entry->nMessage != message)
            continue;
        if (message == WM_COMMAND &&
            (entry->nCode != HIWORD(wParam) || entry->nID != LOWORD(wParam)))
            continue;
        // A handler may send messages to this window; each keeps its own request for the
        // default handling.
        bool outer = m_bDefaultWanted;
        m_bDefaultWanted = false;
        *pResult = entry->pfn(*this, wParam, lParam);
        bool wanted = m_bDefaultWanted;
        m_bDefaultWanted = outer;
        return !wanted;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        dialog->m_hWnd = hWnd;
    } else {
        dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    // WM_SETFONT and a few others arrive before WM_INITDIALOG binds the object.
    if (!dialog)
        return FALSE;
    if (message == WM_NCDESTROY) {
        dialog->m_hWnd = nullptr;
        SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        return FALSE;
    }
    LRESULT result = 0;
    if (!dialog->OnWndMsg(message, wParam, lParam, &result))
        return FALSE;
    if (returnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
