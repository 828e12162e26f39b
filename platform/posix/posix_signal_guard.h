// Holds back the signals that ask the program to end (SIGTERM, SIGINT,
// SIGHUP) while files are being moved, so that logging out or a Ctrl+C never
// leaves a file parked under a temporary name.
#pragma once

namespace quillon {

// While at least one guard lives, a terminate signal is only recorded; when
// the last guard goes, the previous dispositions come back and every recorded
// signal is raised again, so the program then ends (or reacts) as the signal
// asks. Signals that were being ignored stay ignored.
//
// A recording handler rather than a blocked mask: the toolkit runs threads of
// its own, and the kernel hands a process-directed signal to any thread that
// does not block it, whose default action would end the whole process
// mid-run. Guards are meant for the one thread that runs the handlers.
class TerminateSignalGuard {
 public:
  TerminateSignalGuard();
  ~TerminateSignalGuard();
  TerminateSignalGuard(const TerminateSignalGuard&) = delete;
  TerminateSignalGuard& operator=(const TerminateSignalGuard&) = delete;
};

}  // namespace quillon
