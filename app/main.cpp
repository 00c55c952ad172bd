// The GUI entry: the command line and show state go to the framework, which never reads the
// command line on Kovra's behalf.
#include "framework/win_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
