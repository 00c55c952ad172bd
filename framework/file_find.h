// A search for files by name pattern in one folder.
#pragma once

#include <windows.h>

class CFileFind {
  public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // TRUE when at least one entry matches pattern (a folder and a name that may hold '*'
    // and '?'); a new search ends the previous one.
    BOOL FindFile(LPCSTR pattern = "*.*");
    void Close();

  private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
};
