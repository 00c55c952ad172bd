// The application object and the program's entry into the framework.
#pragma once

#include <string>

#include <windows.h>

#include "framework/wnd.h"

class CWinApp {
  public:
    // Without a name the application takes its program file's name, less the extension.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs the program. The framework runs no message loop of its own afterwards, whatever
    // the answer: an application's window runs modally inside this call.
    virtual BOOL InitInstance() { return FALSE; }

    // Windows has drawn dialogs in three dimensions by itself since Windows 95.
    BOOL Enable3dControls() { return TRUE; }

    const char* AppName() const;

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWDEFAULT;

  private:
    std::string m_appName;
};

// The one application object, or null in a program that has none.
CWinApp* AfxGetApp();
// The caption of the framework's prompts.
const char* AfxGetAppName();
// Where dialog templates and icons are found: the program file itself.
HINSTANCE AfxGetResourceHandle();
// Kovra's window hosts no ActiveX controls, so there is no container support to switch on.
inline void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
