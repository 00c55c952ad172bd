// Moving values between a dialog's controls and its members, with validation.
//
// An exchange from the controls runs its steps in order and stops at the first failure: the
// user sees a prompt, the focus goes to the failing control, and every later step leaves its
// member alone. Failure is a flag rather than an exception because the steps run inside a
// window procedure, and an exception must not cross the platform's code on its way out.
#pragma once

#include <windows.h>

class CDialog;

class CDataExchange {
  public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control a step works on, remembered for the focus on failure; null once the
    // exchange has failed, so that the step does nothing.
    HWND PrepareCtrl(int nIDC);
    // Prompts the user, focuses the control of the current step and stops the exchange.
    void Fail(LPCSTR prompt);
    bool Failed() const { return m_bFailed; }

    const BOOL m_bSaveAndValidate;
    CDialog* const m_pDlgWnd;

  private:
    HWND m_hWndLastControl = nullptr;
    bool m_bFailed = false;
};

// Integer text: an optional sign and decimal digits, spaces around it allowed, within the
// signed 32-bit range. Anything else is refused and leaves value as it was.
bool ParseDecimalInt(LPCSTR text, int& value);

void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
// nIDC is the first radio button of a group: the group runs up to the next control with the
// group style, and only radio buttons count in its index; -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Checks the value the preceding DDX_Text has just stored.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
