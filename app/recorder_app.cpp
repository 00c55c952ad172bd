#include "app/recorder_app.h"

#include "window/recorder_dialog.h"

// Made by the runtime before the entry point runs; the framework finds it there.
CRecorderApp theApp;

BOOL CRecorderApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    CRecorderDlg dlg;
    m_pMainWnd = &dlg;
    // OK and cancel end the program alike: the window has already done its work.
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own follows: the program ends here.
    return FALSE;
}
