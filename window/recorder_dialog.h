// Kovra's one window: the recorder's clock, its configuration and the videos, in dialog
// template IDD_RECORDER_DIALOG.
#pragma once

#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/slider_ctrl.h"
#include "platform/path_buffer.h"
#include "platform/platform.h"
#include "records/recorder_settings.h"
#include "window/control_ids.h"

class CRecorderDlg : public CDialog {
  public:
    // Tests hand in a platform of their own to see or script what the window asks of the OS.
    explicit CRecorderDlg(CWnd* pParent = nullptr,
                          kovra::Platform& platform = kovra::systemPlatform());

    // The window's data, for the life of the modal run.
    kovra::RecorderSettings settings;
    kovra::ClockFields clockFields;
    HICON icon;
    kovra::PathBuffer<256> driveRoot;
    kovra::PathBuffer<512> tempDir;
    kovra::PathBuffer<256> videoPath;
    kovra::PathBuffer<256> videoName;
    CSliderCtrl sensitivitySlider;
    kovra::PathBuffer<512> configPath;
    bool devicePresent = false;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCancel() override;

    // While minimized the window shows its icon; the platform draws the rest.
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    DECLARE_MESSAGE_MAP()

    kovra::Platform& platform_;
};
