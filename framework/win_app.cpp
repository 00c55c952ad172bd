#include "framework/win_app.h"

#include <cstring>

namespace {

CWinApp* currentApp = nullptr;

// The program file's name without folder and extension; empty when the path does not fit.
std::string programName() {
    char path[1024];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return {};
    const char* name = std::strrchr(path, '\\');
    name = name ? name + 1 : path;
    const char* dot = std::strrchr(name, '.');
    return dot ? std::string(name, dot) : std::string(name);
}

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) : m_appName(lpszAppName ? lpszAppName : programName()) {
    currentApp = this;
}

CWinApp::~CWinApp() {
    if (currentApp == this)
        currentApp = nullptr;
}

const char* CWinApp::AppName() const {
    return m_appName.c_str();
}

CWinApp* AfxGetApp() {
    return currentApp;
}

const char* AfxGetAppName() {
    if (currentApp)
        return currentApp->AppName();
    static const std::string name = programName();
    return name.c_str();
}

HINSTANCE AfxGetResourceHandle() {
    return GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    app->InitInstance();
    return 0;
}
