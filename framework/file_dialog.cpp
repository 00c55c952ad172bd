#include "framework/file_dialog.h"

#include <cstring>

namespace {

WORD fileNameOffset(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    return static_cast<WORD>(name - path);
}

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                         DWORD dwFlags, LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd),
      m_defExt(lpszDefExt ? lpszDefExt : ""), m_filterText(lpszFilter ? lpszFilter : "") {
    m_filter = m_filterText;
    for (char& c : m_filter) {
        if (c == '|')
            c = '\0';
    }
    // A filter without its closing "||" still ends in two zeros: the one added here and the
    // string's own.
    m_filter.push_back('\0');
    if (lpszFileName)
        m_file.assign(lpszFileName);

    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_file.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_file.capacity());
    m_ofn.lpstrDefExt = lpszDefExt ? m_defExt.c_str() : nullptr;
    m_ofn.lpstrFilter = m_filterText.empty() ? nullptr : m_filter.c_str();
    m_ofn.Flags = dwFlags;
}

INT_PTR CFileDialog::DoModal() {
    // Taken now: the parent's window usually exists only by the time the dialog runs.
    m_ofn.hwndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    BOOL confirmed = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    return confirmed ? IDOK : IDCANCEL;
}

BOOL CFileDialog::Confirm(LPCSTR path) {
    if (!m_file.assign(path))
        return FALSE;
    m_ofn.nFileOffset = fileNameOffset(path);
    const char* dot = std::strrchr(path + m_ofn.nFileOffset, '.');
    m_ofn.nFileExtension = static_cast<WORD>(dot ? dot + 1 - path : std::strlen(path));
    return TRUE;
}

std::string CFileDialog::GetFileName() const {
    std::size_t length = std::strlen(m_ofn.lpstrFile);
    return m_ofn.nFileOffset <= length ? std::string(m_ofn.lpstrFile + m_ofn.nFileOffset)
                                       : std::string();
}
