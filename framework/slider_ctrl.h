// A trackbar control of a dialog, reached through its handle.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/wnd.h"

class CSliderCtrl : public CWnd {
  public:
    // Binds the object to a control that the dialog template made.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }

    // The control keeps its position within the range on its own.
    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE) {
        SendMessage(TBM_SETRANGE, static_cast<WPARAM>(bRedraw), MAKELPARAM(nMin, nMax));
    }
    void SetPos(int nPos) { SendMessage(TBM_SETPOS, TRUE, static_cast<LPARAM>(nPos)); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
};
