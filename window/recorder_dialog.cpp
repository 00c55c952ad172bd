#include "window/recorder_dialog.h"

#include "device/card_files.h"
#include "device/device_locator.h"
#include "framework/paint_dc.h"
#include "framework/win_app.h"
#include "records/clock_record.h"
#include "records/config_record.h"

namespace {

using kovra::ClockField;
using kovra::ClockFields;
using kovra::ClockRecord;
using kovra::ConfigRecord;
using kovra::FieldRange;

// The read-only box is of no use to a program that only reads videos and writes records; a
// record must not replace a file unasked.
constexpr DWORD kFileDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr const char* kClockExtension = "txt";
constexpr const char* kClockFilter = "(*.txt)|*.txt||";
constexpr const char* kConfigExtension = "SYS";
constexpr const char* kConfigFilter = "(*.SYS)|*.SYS||";
constexpr const char* kVideoExtension = "*.avi";
constexpr const char* kVideoFilter = " (*.avi)|*.avi||";

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
      icon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))), workspace(platform),
      platform_(platform) {}

BEGIN_MESSAGE_MAP(CRecorderDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_SET_CURRENT_TIME, OnSetCurrentTime)
ON_BN_CLICKED(IDC_SET_CONFIG, OnSetConfig)
ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
ON_BN_CLICKED(IDC_PLAY, OnPlay)
ON_WM_HSCROLL()
ON_BN_CLICKED(IDC_TRIGGER_QVGA, OnTriggerQvga)
ON_BN_CLICKED(IDC_TRIGGER_VGA, OnTriggerVga)
ON_BN_CLICKED(IDC_SET_TIME, OnSetTime)
END_MESSAGE_MAP()

// The order is the user's: an exchange from the controls stops at the first field that fails,
// and the fields after it keep their values.
void CRecorderDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    exchangeConfiguration(pDX);
    exchangeClock(pDX);
}

void CRecorderDlg::exchangeConfiguration(CDataExchange* pDX) {
    exchangeCount(pDX, IDC_MAX_CYCLE, settings.maxCycleFiles);
    exchangeCount(pDX, IDC_MAX_GSENSOR, settings.maxGsensorFiles);
    exchangeCount(pDX, IDC_MAX_MANUAL, settings.maxManualFiles);
    DDX_Radio(pDX, IDC_TRIGGER_QVGA, settings.triggerResolution);
    DDX_Radio(pDX, IDC_LOOP_QVGA, settings.loopResolution);
    DDX_Radio(pDX, IDC_FPS_30, settings.frameRate);
    DDX_Radio(pDX, IDC_OVERWRITE_YES, settings.overwrite);
}

void CRecorderDlg::exchangeClock(CDataExchange* pDX) {
    exchangeClockField(pDX, IDC_DAY, clockFields.day, ClockField::Day);
    exchangeClockField(pDX, IDC_HOUR, clockFields.hour, ClockField::Hour);
    exchangeClockField(pDX, IDC_MINUTE, clockFields.minute, ClockField::Minute);
    exchangeClockField(pDX, IDC_MONTH, clockFields.month, ClockField::Month);
    exchangeClockField(pDX, IDC_SECOND, clockFields.second, ClockField::Second);
    exchangeClockField(pDX, IDC_YEAR, clockFields.year, ClockField::Year);
}

BOOL CRecorderDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);

    kovra::DeviceLocation found = kovra::DeviceLocator(platform_).locate();
    driveRoot = found.driveRoot;
    devicePresent = found.devicePresent;
    if (!devicePresent)
        enableControls(kovra::DeviceControls, FALSE);

    clockFields = ClockFields::fromLocalTime(platform_.localTime());

    constexpr std::int32_t defaultStep = kovra::RecorderSettings::kDefaultSensitivityStep;
    sensitivitySlider.Attach(GetDlgItem(IDC_SENSITIVITY));
    sensitivitySlider.SetRange(ConfigRecord::kMinSensitivityStep, ConfigRecord::kMaxSensitivityStep,
                               FALSE);
    sensitivitySlider.SetPos(defaultStep);
    showSensitivity(defaultStep);

    // Read even without a card (from Y:\): its values then show in controls that cannot be
    // used. The trackbar holds a stored step outside its range at its nearer end, while the
    // text shows the step as stored.
    if (configPath.assign(driveRoot.c_str()) && configPath.append(kConfigFileName) &&
        kovra::readConfig(platform_, configPath.c_str(), settings)) {
        sensitivitySlider.SetPos(settings.sensitivityStep);
        showSensitivity(settings.sensitivityStep);
    }

    UpdateData(FALSE);

    // Copies left by an earlier run that a player held open then can go now.
    workspace.prepareTempDir();
    workspace.cleanup();
    return TRUE;
}

// "Close", Escape and the close box: nothing is saved, the run ends with the cancel result.
void CRecorderDlg::OnCancel() {
    CDialog::OnCancel();
}

INT_PTR CRecorderDlg::runFileDialog(CFileDialog& dialog) {
    return dialog.DoModal();
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

bool CRecorderDlg::confirmClockFile(kovra::PathBuffer<512>& path) {
    if (!path.assign(driveRoot.c_str()) || !path.append(kClockFileName))
        return false;
    CFileDialog dialog(FALSE, kClockExtension, path.c_str(), kFileDialogFlags, kClockFilter, this);
    // A path too long to hold is refused whole: a shortened one would name another file.
    return runFileDialog(dialog) == IDOK && path.assign(dialog.GetPathName().c_str());
}

// The PC's time as it is when the file is ready; the date and time typed into the window are
// left as they are.
void CRecorderDlg::OnSetCurrentTime() {
    kovra::PathBuffer<512> path;
    if (!confirmClockFile(path))
        return;
    // Read once the file to write exists, so it is the time of the save. The recorder reads
    // what arrived; a failed save has nothing the user could act on.
    kovra::writeRecord(platform_, path.c_str(), [this] {
        return ClockRecord::encode(ClockFields::fromLocalTime(platform_.localTime()));
    });
}

void CRecorderDlg::OnSetTime() {
    if (!UpdateData(TRUE))
        return;
    kovra::PathBuffer<512> path;
    if (!confirmClockFile(path))
        return;
    kovra::writeClock(platform_, path.c_str(), clockFields);
}

void CRecorderDlg::OnSetConfig() {
    CDataExchange dx(this, TRUE);
    // A count that fails leaves the radio groups and counts after it unread: saving then
    // would write values the user no longer sees.
    exchangeConfiguration(&dx);
    if (dx.Failed())
        return;
    // Every configuration value is taken by now, so a date or time that fails has had its
    // prompt and the save goes on.
    exchangeClock(&dx);

    CFileDialog dialog(FALSE, kConfigExtension, configPath.c_str(), kFileDialogFlags, kConfigFilter,
                       this);
    // Kept even when the file cannot be created: the next save proposes it again.
    if (runFileDialog(dialog) != IDOK || !configPath.assign(dialog.GetPathName().c_str()))
        return;
    kovra::writeRecord(platform_, configPath.c_str(), [this] {
        // The trackbar, not the stored step: a step outside its range is saved as it shows.
        settings.sensitivityStep = sensitivitySlider.GetPos();
        return ConfigRecord::encode(settings);
    });
}

void CRecorderDlg::OnBrowse() {
    CFileDialog dialog(TRUE, kVideoExtension, nullptr, kFileDialogFlags, kVideoFilter, this);
    if (runFileDialog(dialog) != IDOK)
        return;
    // A path or name too long to hold is refused whole and the earlier video stays.
    kovra::PlaybackWorkspace::VideoText path, name;
    if (!path.assign(dialog.GetPathName().c_str()) || !name.assign(dialog.GetFileName().c_str()))
        return;
    videoPath = path;
    SetDlgItemText(IDC_VIDEO_PATH, videoPath.c_str());
    videoName = name;
    // The copy of the video played before goes, unless its player still holds it.
    workspace.cleanup();
}

// The copy runs on this thread, so the window takes no input meanwhile; the controls show it.
void CRecorderDlg::OnPlay() {
    if (videoName.empty())
        return;
    enableControls(kovra::BusyControls, FALSE);
    kovra::PlayOutcome outcome =
        workspace.play(videoPath.c_str(), videoName.c_str(), devicePresent);
    enableControls(kovra::controlsAfterPlay(outcome, devicePresent), TRUE);
}

void CRecorderDlg::OnHScroll(UINT nSBCode, UINT nPos, HWND pScrollBar) {
    settings.sensitivityStep = sensitivitySlider.GetPos();
    showSensitivity(settings.sensitivityStep);
    CDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

void CRecorderDlg::OnTriggerQvga() {
    applyRule(kovra::QvgaRule);
}

void CRecorderDlg::OnTriggerVga() {
    applyRule(kovra::VgaRule);
}

void CRecorderDlg::enableControls(kovra::ControlList ids, BOOL enable) {
    for (int id : ids)
        ::EnableWindow(GetDlgItem(id), enable);
}

// The checks are sent to the buttons themselves; the frame rate member follows at the next
// exchange from the controls.
template <std::size_t N> void CRecorderDlg::applyRule(const kovra::RuleStep (&rule)[N]) {
    for (const kovra::RuleStep& step : rule) {
        HWND button = GetDlgItem(step.id);
        switch (step.change) {
        case kovra::ButtonChange::Enable:
        case kovra::ButtonChange::Disable:
            ::EnableWindow(button, step.change == kovra::ButtonChange::Enable);
            break;
        case kovra::ButtonChange::Check:
        case kovra::ButtonChange::Uncheck:
            ::SendMessageA(button, BM_SETCHECK,
                           step.change == kovra::ButtonChange::Check ? BST_CHECKED : BST_UNCHECKED,
                           0);
            break;
        }
    }
}

void CRecorderDlg::showSensitivity(std::int32_t step) {
    SetDlgItemText(IDC_SENSITIVITY_VALUE, ConfigRecord::sensitivityText(step).c_str());
}
