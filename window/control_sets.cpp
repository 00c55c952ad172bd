#include "window/control_sets.h"

namespace kovra {

namespace {

// A video handed to the player: the card's controls come back first, then the video's own.
constexpr int ReadyAfterOpened[] = {
    IDC_YEAR,       IDC_MONTH,         IDC_DAY,          IDC_HOUR,
    IDC_MINUTE,     IDC_SECOND,        IDC_SET_TIME,     IDC_SET_CURRENT_TIME,
    IDC_SET_CONFIG, IDC_TRIGGER_QVGA,  IDC_TRIGGER_VGA,  IDC_LOOP_QVGA,
    IDC_LOOP_VGA,   IDC_FPS_30,        IDC_FPS_24,       IDC_FPS_15,
    IDC_FPS_13_3,   IDC_OVERWRITE_YES, IDC_OVERWRITE_NO, IDC_MAX_GSENSOR,
    IDC_MAX_MANUAL, IDC_MAX_CYCLE,     IDC_BROWSE,       IDC_PLAY,
    IDCANCEL,
};

// Without a card these are all the window ever offers.
constexpr int UsableWithoutDevice[] = {IDC_BROWSE, IDC_PLAY, IDCANCEL};

} // namespace

// Without a card nothing but the video's controls comes back, however Play ended: a refused
// video must not make the card's controls usable with no card to write to.
ControlList controlsAfterPlay(PlayOutcome outcome, bool devicePresent) {
    if (!devicePresent)
        return UsableWithoutDevice;
    return outcome == PlayOutcome::Opened ? ControlList(ReadyAfterOpened)
                                          : ControlList(BusyControls);
}

} // namespace kovra
