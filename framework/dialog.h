// A modal dialog made from a template in the program's resources, with data exchange and a
// message map that binds messages and button clicks to member functions.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

class CDataExchange;
class CDialog;

// One line of a message map. For WM_COMMAND the notification code and the control's
// identifier must match too. A null handler ends the map.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    LRESULT (*pfn)(CDialog& dialog, WPARAM wParam, LPARAM lParam);
};

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Shows the window and returns when it ends: the result given to EndDialog, or -1 when
    // the window could not be made.
    virtual INT_PTR DoModal();
    // FALSE fills the controls from the members; TRUE takes the members from the controls
    // with validation and reports whether every step passed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

  protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Runs once the controls exist, before the window shows: fills the controls from the
    // members. TRUE lets the platform focus the first tab stop.
    virtual BOOL OnInitDialog();
    // Takes the data with validation and ends with IDOK only when it passed.
    virtual void OnOK();
    virtual void OnCancel();

    virtual const AFX_MSGMAP_ENTRY* GetMessageMap() const;
    // Gives a message to its handler; FALSE leaves it to the platform's dialog handling.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called by a handler that wants the platform's own handling of its message as well.
    void Default() { m_bDefaultWanted = true; }

    afx_msg void OnPaint() { Default(); }
    afx_msg void OnHScroll(UINT, UINT, HWND) { Default(); }

  private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    bool m_bDefaultWanted = false;
};

// Thunks from a message map line to a member function of the dialog class that owns the map.
namespace afx_detail {

template <class Dialog, void (Dialog::*Handler)()> LRESULT onVoid(CDialog& dialog, WPARAM, LPARAM) {
    (static_cast<Dialog&>(dialog).*Handler)();
    return 0;
}

template <class Dialog, HCURSOR (Dialog::*Handler)()>
LRESULT onQueryDragIcon(CDialog& dialog, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<Dialog&>(dialog).*Handler)());
}

template <class Dialog, void (Dialog::*Handler)(UINT, UINT, HWND)>
LRESULT onScroll(CDialog& dialog, WPARAM wParam, LPARAM lParam) {
    (static_cast<Dialog&>(dialog).*Handler)(LOWORD(wParam), HIWORD(wParam),
                                            reinterpret_cast<HWND>(lParam));
    return 0;
}

} // namespace afx_detail

// The map reads as a table of ON_... lines between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP.
// clang-format off
#define DECLARE_MESSAGE_MAP() \
  protected: \
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP_ENTRY* theClass::GetMessageMap() const { \
        using ThisClass = theClass; \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, nullptr}}; \
        return entries; \
    }

#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, &afx_detail::onVoid<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, &afx_detail::onQueryDragIcon<ThisClass, &ThisClass::OnQueryDragIcon>},
#define ON_WM_HSCROLL() \
    {WM_HSCROLL, 0, 0, &afx_detail::onScroll<ThisClass, &ThisClass::OnHScroll>},
#define ON_BN_CLICKED(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, id, &afx_detail::onVoid<ThisClass, &ThisClass::memberFxn>},
// clang-format on
