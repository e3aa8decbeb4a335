// The user's interrupts at the edge of the program: SIGINT, SIGTERM and SIGHUP on POSIX
// (Ctrl+C, Ctrl+Break and closing the console on Windows) set one flag that the run reads,
// so that a file being written is put back rather than cut; a second interrupt changes
// nothing. A size limit (SIGXFSZ) makes the write fail instead of ending the program.
#pragma once

namespace vantrel::os {

// Installs the handlers; called once, first thing in main.
void CatchInterrupts();

// 0 when the run was not interrupted, else the exit status it ends with (130 for SIGINT,
// 143 for SIGTERM, 129 for SIGHUP).
int InterruptStatus();

}  // namespace vantrel::os
