// Kovra's one window: the recorder's clock, its configuration and the videos, in dialog
// template IDD_RECORDER_DIALOG.
#pragma once

#include "device/card_files.h"
#include "device/playback_workspace.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/slider_ctrl.h"
#include "platform/path_buffer.h"
#include "platform/platform.h"
#include "records/recorder_settings.h"
#include "window/control_ids.h"
#include "window/control_sets.h"

class CRecorderDlg : public CDialog {
  public:
    // Tests hand in a platform of their own to see or script what the window asks of the OS.
    explicit CRecorderDlg(CWnd* pParent = nullptr,
                          kovra::Platform& platform = kovra::systemPlatform());

    static constexpr const char* kConfigFileName = kovra::kConfigFileName;
    static constexpr const char* kClockFileName = kovra::kClockFileName;

    // The window's data, for the life of the modal run.
    kovra::RecorderSettings settings;
    kovra::ClockFields clockFields;
    HICON icon;
    kovra::PathBuffer<256> driveRoot;
    // Holds tempDir, the folder of the prepared copies.
    kovra::PlaybackWorkspace workspace;
    kovra::PlaybackWorkspace::VideoText videoPath;
    kovra::PlaybackWorkspace::VideoText videoName;
    CSliderCtrl sensitivitySlider;
    kovra::PathBuffer<512> configPath;
    bool devicePresent = false;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    // Shows a file dialog and waits for the user's answer; tests answer in the user's place.
    virtual INT_PTR runFileDialog(CFileDialog& dialog);

    // While minimized the window shows its icon; the platform draws the rest.
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnSetCurrentTime();
    afx_msg void OnSetConfig();
    afx_msg void OnBrowse();
    afx_msg void OnPlay();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, HWND pScrollBar);
    afx_msg void OnTriggerQvga();
    afx_msg void OnTriggerVga();
    afx_msg void OnSetTime();
    DECLARE_MESSAGE_MAP()

    kovra::Platform& platform_;

  private:
    // The two halves of the exchange, in its order: everything saved in CONFIG.SYS, then
    // the date and time.
    void exchangeConfiguration(CDataExchange* pDX);
    void exchangeClock(CDataExchange* pDX);

    void enableControls(kovra::ControlList ids, BOOL enable);
    template <std::size_t N> void applyRule(const kovra::RuleStep (&rule)[N]);
    void showSensitivity(std::int32_t step);
    // The file the user confirms for a clock record, proposed on the card; false when the
    // dialog was cancelled or the answer does not fit.
    bool confirmClockFile(kovra::PathBuffer<512>& path);
};
