// Why the video search passed over a path: a type of its own, so that the words for it need
// nothing else of the search.
#pragma once

namespace kovra {

enum class PassedOver {
    NotAFile,      // a *.avi that is a FIFO, a device, a socket: never opened
    LinkOutside,   // a link that leads out of the folder searched
    WalkedAlready, // a folder reached a second time (a link loop)
    TooDeep,       // a folder past the deepest level searched
    TooMany,       // past the most entries a search looks at
    Unlisted,      // a folder that could not be listed (error says why)
};

} // namespace kovra
