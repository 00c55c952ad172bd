// kovra_snapshot PROGRAM PICTURE.bmp: starts the program, waits for its window, saves what
// the screen shows of it as a 24-bit bitmap, closes it with the close box and returns the
// program's exit code. make run uses it where no one is at the display.
#include <cstdio>
#include <vector>

#include <windows.h>

#include "testkit/win32/gui_driver.h"

namespace {

bool saveWindowPicture(HWND window, const char* path) {
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * static_cast<DWORD>(height));
    int rows = GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(),
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height)
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                   std::fwrite(&info, sizeof info, 1, out) == 1 &&
                   std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kovra_snapshot PROGRAM PICTURE.bmp\n");
        return 2;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "kovra_snapshot: cannot start %s\n", argv[1]);
        return 2;
    }
    HWND window = kovra::test::waitForWindow(
        [&] { return kovra::test::findProcessDialog(process.dwProcessId); });
    if (!window) {
        std::fprintf(stderr, "kovra_snapshot: %s showed no window\n", argv[1]);
        TerminateProcess(process.hProcess, 2);
        return 2;
    }
    // Painted now, and given a moment to reach the display.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    bool saved = saveWindowPicture(window, argv[2]);
    if (!saved)
        std::fprintf(stderr, "kovra_snapshot: cannot save %s\n", argv[2]);

    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 2;
    if (WaitForSingleObject(process.hProcess, kovra::test::kPatienceMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "kovra_snapshot: the window closed but the program did not end\n");
        TerminateProcess(process.hProcess, 2);
    } else {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return saved ? static_cast<int>(code) : 2;
}
