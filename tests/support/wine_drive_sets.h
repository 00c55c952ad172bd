// The drive sets that the Wine runner (cmake/wine-run.sh) maps for the Windows tests, each
// written only here: tests/CMakeLists.txt reads these lines to give every ctest entry its
// KOVRA_DRIVES, and a test names the set it needs (KOVRA_REQUIRE_DRIVES, wine_drives.h).
// Types as Wine's registry names them: floppy (removable), hd (fixed), cdrom, network.
#pragma once

namespace kovra::test {

// Only Wine's own C: and Z:, both fixed: no card.
inline constexpr char kDrivesNone[] = "";
// The recorder's card in a removable E:.
inline constexpr char kDrivesCard[] = "e=floppy";
// A fixed, an optical and a network drive, none of them a card.
inline constexpr char kDrivesNotRemovable[] = "e=hd f=cdrom g=network";
// Two removable drives after a fixed D:; the lower letter is the card.
inline constexpr char kDrivesTwoCards[] = "d=hd f=floppy e=floppy";
// No card, and a fixed Y:, the drive the window falls back to, to hold files.
inline constexpr char kDrivesFixedY[] = "y=hd";

} // namespace kovra::test
