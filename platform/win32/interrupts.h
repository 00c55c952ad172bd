// Ctrl+C, Ctrl+Break and the console window closing held back while files are being written,
// so that a write in progress fails (Interrupted) and its temporary file is removed before
// the process ends.
#pragma once

namespace kovra::win32 {

void deferInterrupts();
// At the last allow, an interrupt that came meanwhile ends the process as Ctrl+C does.
void allowInterrupts();
bool interrupted();
// Sleeps for milliseconds, or less when an interrupt comes meanwhile (while deferred): true
// when one came.
bool sleepUnlessInterrupted(unsigned long milliseconds);

} // namespace kovra::win32
