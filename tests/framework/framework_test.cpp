// The framework under Kovra's window, on the real platform: integer text, radio groups,
// message dispatch, the trackbar, the file dialogs and file search.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/file_find.h"
#include "framework/slider_ctrl.h"
#include "testkit/win32/gui_driver.h"
#include "testkit/win32/modal_run.h"
#include "tests/framework/framework_test_ids.h"
#include "tests/support/scratch_dir.h"

namespace kovra::test {
namespace {

// Integer text as the exchange reads it: guards against accepting what is not an integer
// (or what does not fit 32 bits) and refusing what is.
TEST(ParseDecimalInt, AcceptsSignedDecimalWithSpacesAround) {
    const std::pair<const char*, int> accepted[] = {
        {"0", 0},
        {"42", 42},
        {"  42  ", 42},
        {"+7", 7},
        {"-7", -7},
        {"-0", 0},
        {"007", 7},
        {"2147483647", 2147483647},
        {" -2147483648", -2147483647 - 1},
    };
    for (const auto& [text, want] : accepted) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        int value = 99;
        EXPECT_TRUE(ParseDecimalInt(text, value));
        EXPECT_EQ(value, want);
    }
    for (const char* text : {"", " ", "+", "-", "- 5", "4 2", "12a", "a12", "0x10", "1.5", "1e3",
                             "\t5", "2147483648", "-2147483649", "99999999999999999999999"}) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        int value = 99;
        EXPECT_FALSE(ParseDecimalInt(text, value));
        EXPECT_EQ(value, 99) << "a refused text changed the value";
    }
}

// A dialog of the test template that runs a script on its own thread once its controls
// exist, and ends without showing.
class ScriptedDialog : public CDialog {
  public:
    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> script)
        : CDialog(IDD_FRAMEWORK_TEST), script_(std::move(script)) {}

    bool checked(int id) const {
        return ::SendMessageA(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void check(int id, bool on) {
        ::SendMessageA(GetDlgItem(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    int groupA = 0;
    int groupB = 0;
    int clicks = 0;
    UINT scrollCode = 0;
    UINT scrollPos = 0;
    HWND scrollBar = nullptr;

  protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Radio(pDX, IDC_A0, groupA);
        DDX_Radio(pDX, IDC_B0, groupB);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        script_(*this);
        EndDialog(IDOK);
        return TRUE;
    }
    afx_msg void OnNotARadio() { ++clicks; }
    afx_msg void OnHScroll(UINT code, UINT pos, HWND bar) {
        scrollCode = code;
        scrollPos = pos;
        scrollBar = bar;
    }
    DECLARE_MESSAGE_MAP()

  private:
    std::function<void(ScriptedDialog&)> script_;
};

BEGIN_MESSAGE_MAP(ScriptedDialog, CDialog)
ON_BN_CLICKED(IDC_NOT_A_RADIO, OnNotARadio)
ON_WM_HSCROLL()
END_MESSAGE_MAP()

// A radio group runs from its first button to the next control with the group style, and
// only radio buttons count in its index: guards against counting the push button or the
// static inside the group, and against a group that runs on into the next one.
TEST(DDXRadio, GroupsFollowTheTemplate) {
    std::vector<bool> shownAsTwo, shownOutside;
    int takenFromSecond = 0, takenFromNone = 0;
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        d.groupA = 2;
        d.groupB = 1;
        d.UpdateData(FALSE);
        shownAsTwo = {d.checked(IDC_A0), d.checked(IDC_A1), d.checked(IDC_A2), d.checked(IDC_B0),
                      d.checked(IDC_B1)};
        d.groupA = 3;
        d.UpdateData(FALSE);
        shownOutside = {d.checked(IDC_A0), d.checked(IDC_A1), d.checked(IDC_A2), d.checked(IDC_B1)};
        d.check(IDC_A1, true);
        d.UpdateData(TRUE);
        takenFromSecond = d.groupA;
        d.check(IDC_A1, false);
        d.UpdateData(TRUE);
        takenFromNone = d.groupA;
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(shownAsTwo, (std::vector<bool>{false, false, true, false, true}));
    EXPECT_EQ(shownOutside, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(takenFromSecond, 1);
    EXPECT_EQ(takenFromNone, -1);
    EXPECT_EQ(dialog.groupB, 1);
}

// The message map reaches a click handler only for its own control and notification, and
// hands a scroll handler its code, position and scroll bar.
TEST(MessageMap, DispatchesByMessageControlAndNotification) {
    HWND trackbar = nullptr;
    int clicksAfterOwnClick = 0;
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        HWND button = d.GetDlgItem(IDC_NOT_A_RADIO);
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_NOT_A_RADIO, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button));
        clicksAfterOwnClick = d.clicks;
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_NOT_A_RADIO, BN_DOUBLECLICKED),
                      reinterpret_cast<LPARAM>(button));
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_A1, BN_CLICKED),
                      reinterpret_cast<LPARAM>(d.GetDlgItem(IDC_A1)));
        trackbar = d.GetDlgItem(IDC_TRACKBAR);
        d.SendMessage(WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 17),
                      reinterpret_cast<LPARAM>(trackbar));
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(clicksAfterOwnClick, 1);
    EXPECT_EQ(dialog.clicks, 1);
    EXPECT_EQ(dialog.scrollCode, static_cast<UINT>(TB_THUMBTRACK));
    EXPECT_EQ(dialog.scrollPos, 17u);
    EXPECT_EQ(dialog.scrollBar, trackbar);
}

// The trackbar keeps its position within its range, which the window relies on for a stored
// step outside 2 to 40.
TEST(SliderCtrl, PositionStaysWithinTheRange) {
    std::vector<int> positions;
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        CSliderCtrl slider;
        slider.Attach(d.GetDlgItem(IDC_TRACKBAR));
        slider.SetRange(2, 40);
        for (int wanted : {8, 50, 0, 40, 2}) {
            slider.SetPos(wanted);
            positions.push_back(slider.GetPos());
        }
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(positions, (std::vector<int>{8, 40, 2, 40, 2}));
}

// The platform's file dialogs, run for real and answered like a user.
class FileDialog : public ::testing::Test {
  protected:
    ScratchDir dir;
};

// The save dialog opens on the proposed file with the filter's display text, and the
// default extension completes a bare name: guards against a filter the platform cannot read
// and a lost proposal or extension.
TEST_F(FileDialog, SaveProposesAndAddsTheDefaultExtension) {
    CFileDialog save(FALSE, "txt", dir.file("TIME.txt").c_str(),
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "(*.txt)|*.txt||");
    ModalRun run([&] { return save.DoModal(); });
    HWND dialog = run.window();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(dialog), "Save As");
    EXPECT_EQ(fileDialogName(dialog), "TIME.txt");
    EXPECT_EQ(fileDialogType(dialog), "(*.txt)");
    answerFileDialog(dialog, "answer");
    EXPECT_EQ(run.result(), IDOK);
    EXPECT_EQ(save.GetPathName(), dir.file("answer.txt"));
    EXPECT_EQ(save.GetFileName(), "answer.txt");
}

// Saving over an existing file asks first, because of OFN_OVERWRITEPROMPT; yes confirms it.
TEST_F(FileDialog, SaveOverAnExistingFileAsksFirst) {
    writeAll(dir.file("old.txt"), {1, 2, 3});
    CFileDialog save(FALSE, "txt", dir.file("TIME.txt").c_str(),
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "(*.txt)|*.txt||");
    ModalRun run([&] { return save.DoModal(); });
    HWND dialog = run.window();
    ASSERT_NE(dialog, nullptr);
    answerFileDialog(dialog, "old.txt");
    std::optional<MessageBoxSeen> question = answerMessageBox(dialog, IDYES);
    ASSERT_TRUE(question) << "no question before replacing the file";
    // The wording is the platform's own; Wine's reads "File already exists. Do you want to
    // replace it?".
    EXPECT_FALSE(question->text.empty());
    EXPECT_EQ(run.result(), IDOK);
    EXPECT_EQ(save.GetPathName(), dir.file("old.txt"));
}

// The open dialog picks an existing file; cancelled, it reports cancel.
TEST_F(FileDialog, OpenPicksAFileOrIsCancelled) {
    writeAll(dir.file("MOV0001.avi"), {'M', 'A', 'R', 'S'});
    {
        CFileDialog open(TRUE, "*.avi", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         " (*.avi)|*.avi||");
        ModalRun run([&] { return open.DoModal(); });
        HWND dialog = run.window();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(windowText(dialog), "Open");
        EXPECT_EQ(fileDialogType(dialog), " (*.avi)");
        answerFileDialog(dialog, dir.file("MOV0001.avi"));
        EXPECT_EQ(run.result(), IDOK);
        EXPECT_EQ(open.GetPathName(), dir.file("MOV0001.avi"));
        EXPECT_EQ(open.GetFileName(), "MOV0001.avi");
    }
    CFileDialog open(TRUE, "*.avi", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     " (*.avi)|*.avi||");
    ModalRun run([&] { return open.DoModal(); });
    HWND dialog = run.window();
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(run.result(), IDCANCEL);
}

// Answering in place of the user takes path and name as the dialog would, and refuses a path
// too long to hold rather than cutting it.
TEST(FileDialogAnswer, ConfirmTakesWhatFitsOnly) {
    CFileDialog open(TRUE, "*.avi", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     " (*.avi)|*.avi||");
    EXPECT_EQ(open.m_ofn.Flags, 6u);
    EXPECT_EQ(open.GetFilter(), " (*.avi)|*.avi||");
    ASSERT_TRUE(open.Confirm("E:\\DCIM\\MOV0001.avi"));
    EXPECT_EQ(open.GetPathName(), "E:\\DCIM\\MOV0001.avi");
    EXPECT_EQ(open.GetFileName(), "MOV0001.avi");
    std::string tooLong = "E:\\" + std::string(CFileDialog::kPathCapacity, 'x') + ".avi";
    EXPECT_FALSE(open.Confirm(tooLong.c_str()));
    EXPECT_EQ(open.GetPathName(), "E:\\DCIM\\MOV0001.avi");
}

// A search finds what matches its pattern and only that.
TEST(FileFind, FindsMatchingFilesOnly) {
    ScratchDir dir;
    writeAll(dir.file("~mrMOV0001.avi"), {'R', 'I', 'F', 'F'});
    CFileFind find;
    EXPECT_TRUE(find.FindFile(dir.file("~mr*.avi").c_str()));
    EXPECT_FALSE(find.FindFile(dir.file("*.SYS").c_str()));
    EXPECT_TRUE(find.FindFile(dir.file("~mrMOV0001.avi").c_str()));
    find.Close();
    EXPECT_FALSE(find.FindFile(dir.file("~mrMOV0002.avi").c_str()));
}

} // namespace
} // namespace kovra::test
