#include "window/recorder_dialog.h"

#include "framework/paint_dc.h"
#include "framework/win_app.h"

namespace {

using kovra::ClockField;
using kovra::FieldRange;

void exchangeValidated(CDataExchange* pDX, int nIDC, int& value, FieldRange range) {
    DDX_Text(pDX, nIDC, value);
    DDV_MinMaxInt(pDX, value, range.min, range.max);
}

// The card keeps each count in 16 bits: a larger one typed here would be saved as another
// number, so it is refused as soon as it is parsed.
void exchangeCount(CDataExchange* pDX, int nIDC, int& value) {
    exchangeValidated(pDX, nIDC, value, kovra::kFileCountRange);
}

void exchangeClockField(CDataExchange* pDX, int nIDC, int& value, ClockField field) {
    exchangeValidated(pDX, nIDC, value, kovra::clockFieldRange(field));
}

} // namespace

CRecorderDlg::CRecorderDlg(CWnd* pParent, kovra::Platform& platform)
    : CDialog(IDD_RECORDER_DIALOG, pParent),
      icon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      platform_(platform) {}

BEGIN_MESSAGE_MAP(CRecorderDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

// The order is the user's: an exchange from the controls stops at the first field that fails,
// and the fields after it keep their values.
void CRecorderDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    exchangeCount(pDX, IDC_MAX_CYCLE, settings.maxCycleFiles);
    exchangeCount(pDX, IDC_MAX_GSENSOR, settings.maxGsensorFiles);
    exchangeCount(pDX, IDC_MAX_MANUAL, settings.maxManualFiles);
    DDX_Radio(pDX, IDC_TRIGGER_QVGA, settings.triggerResolution);
    DDX_Radio(pDX, IDC_LOOP_QVGA, settings.loopResolution);
    DDX_Radio(pDX, IDC_FPS_30, settings.frameRate);
    DDX_Radio(pDX, IDC_OVERWRITE_YES, settings.overwrite);
    exchangeClockField(pDX, IDC_DAY, clockFields.day, ClockField::Day);
    exchangeClockField(pDX, IDC_HOUR, clockFields.hour, ClockField::Hour);
    exchangeClockField(pDX, IDC_MINUTE, clockFields.minute, ClockField::Minute);
    exchangeClockField(pDX, IDC_MONTH, clockFields.month, ClockField::Month);
    exchangeClockField(pDX, IDC_SECOND, clockFields.second, ClockField::Second);
    exchangeClockField(pDX, IDC_YEAR, clockFields.year, ClockField::Year);
}

// "Close", Escape and the close box: nothing is saved, the run ends with the cancel result.
void CRecorderDlg::OnCancel() {
    CDialog::OnCancel();
}

void CRecorderDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, icon);
}

HCURSOR CRecorderDlg::OnQueryDragIcon() {
    return icon;
}
