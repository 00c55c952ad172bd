// The live window against its template: what the platform made of every control. The
// template itself is checked byte for byte against the design by tests/app/check_program.py.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/window/dialog_template.h"
#include "tests/window/recorder_window.h"

namespace kovra::test {
namespace {

std::string hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

bool sameClass(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

// The styles a control of this template shows once the platform has made it.
void expectedLiveStyles(const TemplateControl& control, bool checkedRadio, DWORD& style,
                        DWORD& exStyle) {
    style = control.style;
    exStyle = control.exStyle | WS_EX_NOPARENTNOTIFY;
    if (sameClass(control.windowClass, "Edit") && (style & WS_BORDER)) {
        style &= ~WS_BORDER;
        exStyle |= WS_EX_CLIENTEDGE;
    }
    if (sameClass(control.windowClass, "Static") && (style & SS_SUNKEN))
        exStyle |= WS_EX_STATICEDGE;
    // Tab lands on the checked button of a radio group: checking gives it the tab stop.
    if (sameClass(control.windowClass, "Button") && (style & 0xF) == BS_AUTORADIOBUTTON)
        style = checkedRadio ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
}

using RecorderLayout = RecorderWindow;

// Every control in template (and tab) order with its identifier, class, caption, state,
// styles and place: guards against a template the platform reads differently than meant,
// a lost control, and controls out of tab order.
TEST_F(RecorderLayout, LiveWindowMatchesItsTemplate) {
    std::optional<DialogTemplate> layout = loadDialogTemplate(IDD_RECORDER_DIALOG);
    ASSERT_TRUE(layout) << "no extended dialog template " << IDD_RECORDER_DIALOG;
    start();

    EXPECT_EQ(windowText(window()), layout->caption);
    EXPECT_EQ(windowText(window()), "Kovra");
    EXPECT_EQ(hex(static_cast<DWORD>(GetWindowLongA(window(), GWL_STYLE))),
              hex(layout->style | WS_CLIPSIBLINGS | DS_3DLOOK));
    EXPECT_EQ(hex(static_cast<DWORD>(GetWindowLongA(window(), GWL_EXSTYLE))),
              hex(layout->exStyle | WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME));

    HWND child = GetWindow(window(), GW_CHILD);
    std::size_t index = 0;
    for (; child && index < layout->controls.size();
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
        const TemplateControl& want = layout->controls[index];
        SCOPED_TRACE("control #" + std::to_string(index + 1) + " (" + want.windowClass + " \"" +
                     want.caption + "\", id " + std::to_string(static_cast<int>(want.id)) + ")");
        EXPECT_EQ(static_cast<DWORD>(GetDlgCtrlID(child)), want.id);
        EXPECT_TRUE(sameClass(windowClass(child), want.windowClass)) << windowClass(child);
        // An edit shows its member, put there by the exchange, and 1017 the trackbar's step;
        // other captions are the template's.
        if (want.id == IDC_SENSITIVITY_VALUE) {
            EXPECT_EQ(windowText(child), "0.40");
        } else if (!sameClass(want.windowClass, "Edit")) {
            EXPECT_EQ(windowText(child), want.caption);
        }
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, (want.style & WS_DISABLED) == 0);

        // The platform scales origin and size each on its own.
        RECT scaled{want.rect.left, want.rect.top, want.rect.right - want.rect.left,
                    want.rect.bottom - want.rect.top};
        MapDialogRect(window(), &scaled);
        RECT live;
        GetWindowRect(child, &live);
        MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&live), 2);
        EXPECT_EQ(live.left, scaled.left);
        EXPECT_EQ(live.top, scaled.top);
        EXPECT_EQ(live.right - live.left, scaled.right);
        EXPECT_EQ(live.bottom - live.top, scaled.bottom);

        DWORD style, exStyle;
        expectedLiveStyles(want, SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED, style,
                           exStyle);
        EXPECT_EQ(hex(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE))), hex(style));
        EXPECT_EQ(hex(static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE))), hex(exStyle));
    }
    EXPECT_EQ(index, layout->controls.size()) << "the window has fewer controls than its template";
    EXPECT_EQ(child, nullptr) << "the window has more controls than its template";
    EXPECT_EQ(layout->controls.size(), 46u);
    EXPECT_EQ(cancel(), IDCANCEL);
}

// The window's data as the object is made: guards against defaults lost in construction.
TEST(RecorderConstruction, Defaults) {
    CRecorderDlg dialog;
    EXPECT_EQ(settingsOf(dialog.settings), std::make_tuple(20, 20, 20, 0, 0, 0, 0, 8));
    EXPECT_EQ(clockOf(dialog.clockFields), std::make_tuple(0, 0, 0, 0, 0, 0));
    EXPECT_NE(dialog.icon, nullptr);
    EXPECT_EQ(dialog.icon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    EXPECT_TRUE(dialog.videoPath.empty());
    EXPECT_TRUE(dialog.videoName.empty());
    EXPECT_FALSE(dialog.devicePresent);
}

} // namespace
} // namespace kovra::test
