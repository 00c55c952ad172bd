// SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE held back while files are being written, so that a
// write in progress fails (Interrupted) and its temporary file is removed before the process ends.
#pragma once

#include <signal.h>

namespace kovra::posix {

void deferInterrupts();
// At the last allow, a signal that came meanwhile ends the process as it would have at once.
void allowInterrupts();
// A signal came while deferred: an atomic load, cheap enough for every write.
bool interrupted();
// The signals counted as interrupts, for a wait that lets them in only while it waits.
void interruptSignals(sigset_t& signals);

} // namespace kovra::posix
