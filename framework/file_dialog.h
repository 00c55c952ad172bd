// The platform's standard dialog for choosing a file to open or a name to save under.
#pragma once

#include <string>

#include <windows.h>

#include <commdlg.h>

#include "framework/wnd.h"
#include "platform/path_buffer.h"

class CFileDialog {
  public:
    // Far beyond the window's own path buffers: an answer too long for them reaches the
    // caller whole, to be refused there, never cut. The platform refuses longer answers.
    static constexpr std::size_t kPathCapacity = 1024;

    // lpszFilter pairs display texts and patterns, "|"-separated, ending in "||". A proposed
    // file name that does not fit is not proposed.
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user confirmed a file, IDCANCEL otherwise.
    virtual INT_PTR DoModal();
    // Answers in place of the user, for a caller that must not show the dialog: path becomes
    // the confirmed file. FALSE, with nothing changed, when it does not fit.
    BOOL Confirm(LPCSTR path);

    // The confirmed file: full path, and its name without the folder.
    std::string GetPathName() const { return m_ofn.lpstrFile; }
    std::string GetFileName() const;

    BOOL IsOpenDialog() const { return m_bOpenFileDialog; }
    const std::string& GetFilter() const { return m_filterText; }
    CWnd* GetParentWnd() const { return m_pParentWnd; }

    // The request as the platform gets it (flags, default extension, proposed file).
    OPENFILENAMEA m_ofn{};

  private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::string m_defExt;
    std::string m_filterText;
    // The filter with each '|' turned into the zero the platform expects.
    std::string m_filter;
    kovra::PathBuffer<kPathCapacity> m_file;
};
