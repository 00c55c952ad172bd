#include "framework/file_find.h"

BOOL CFileFind::FindFile(LPCSTR pattern) {
    Close();
    WIN32_FIND_DATAA found;
    m_hFind = FindFirstFileA(pattern, &found);
    return m_hFind != INVALID_HANDLE_VALUE;
}

void CFileFind::Close() {
    if (m_hFind != INVALID_HANDLE_VALUE)
        FindClose(m_hFind);
    m_hFind = INVALID_HANDLE_VALUE;
}
