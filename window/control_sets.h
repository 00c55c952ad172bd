// Which of the window's controls can be used when: the sets switched as a whole, and the
// frame-rate rules of the two trigger resolutions. Each list is in the order its controls are
// switched.
#pragma once

#include <cstddef>

#include <windows.h>

#include "device/playback_workspace.h"
#include "window/control_ids.h"

namespace kovra {

// A fixed list of control identifiers.
struct ControlList {
    const int* first;
    std::size_t count;

    template <std::size_t N> constexpr ControlList(const int (&ids)[N]) : first(ids), count(N) {}
    const int* begin() const { return first; }
    const int* end() const { return first + count; }
};

// The controls of the card's two records: disabled for the whole run when no card was found.
inline constexpr int DeviceControls[] = {
    IDC_YEAR,          IDC_MONTH,        IDC_DAY,         IDC_HOUR,
    IDC_MINUTE,        IDC_SECOND,       IDC_SET_TIME,    IDC_SET_CURRENT_TIME,
    IDC_TRIGGER_QVGA,  IDC_TRIGGER_VGA,  IDC_LOOP_QVGA,   IDC_LOOP_VGA,
    IDC_FPS_30,        IDC_FPS_24,       IDC_FPS_15,      IDC_FPS_13_3,
    IDC_OVERWRITE_YES, IDC_OVERWRITE_NO, IDC_SENSITIVITY, IDC_MAX_GSENSOR,
    IDC_MAX_MANUAL,    IDC_MAX_CYCLE,    IDC_SET_CONFIG,
};

// Disabled while Play prepares a video. The trackbar is not among them: it keeps its state.
inline constexpr int BusyControls[] = {
    IDC_YEAR,          IDC_MONTH,        IDC_DAY,         IDC_HOUR,
    IDC_MINUTE,        IDC_SECOND,       IDC_SET_TIME,    IDC_SET_CURRENT_TIME,
    IDC_SET_CONFIG,    IDC_BROWSE,       IDC_PLAY,        IDCANCEL,
    IDC_TRIGGER_QVGA,  IDC_TRIGGER_VGA,  IDC_LOOP_QVGA,   IDC_LOOP_VGA,
    IDC_FPS_30,        IDC_FPS_24,       IDC_FPS_15,      IDC_FPS_13_3,
    IDC_OVERWRITE_YES, IDC_OVERWRITE_NO, IDC_MAX_GSENSOR, IDC_MAX_MANUAL,
    IDC_MAX_CYCLE,
};

// What Play gives back once the video is opened or refused.
ControlList controlsAfterPlay(PlayOutcome outcome, bool devicePresent);

// One switch of a resolution rule.
enum class ButtonChange { Enable, Disable, Check, Uncheck };
struct RuleStep {
    int id;
    ButtonChange change;
};

// Any frame rate goes with QVGA; a click on it starts again from "30FPS".
inline constexpr RuleStep QvgaRule[] = {
    {IDC_FPS_30, ButtonChange::Enable},  {IDC_FPS_24, ButtonChange::Enable},
    {IDC_FPS_30, ButtonChange::Check},   {IDC_FPS_24, ButtonChange::Uncheck},
    {IDC_FPS_15, ButtonChange::Uncheck}, {IDC_FPS_13_3, ButtonChange::Uncheck},
};

// The recorder records VGA at 15 or 13.3 frames a second only.
inline constexpr RuleStep VgaRule[] = {
    {IDC_FPS_30, ButtonChange::Disable}, {IDC_FPS_24, ButtonChange::Disable},
    {IDC_FPS_30, ButtonChange::Uncheck}, {IDC_FPS_24, ButtonChange::Uncheck},
    {IDC_FPS_15, ButtonChange::Check},   {IDC_FPS_13_3, ButtonChange::Uncheck},
};

} // namespace kovra
