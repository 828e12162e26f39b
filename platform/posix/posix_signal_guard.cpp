#include "platform/posix/posix_signal_guard.h"

#include <signal.h>

#include <array>
#include <csignal>

namespace quillon {
namespace {

constexpr std::array<int, 3> kTerminateSignals = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler on whichever thread the kernel picks.
volatile std::sig_atomic_t g_pending[3] = {0, 0, 0};

// Only touched by the thread that creates guards.
int g_depth = 0;
struct sigaction g_previous[3];
bool g_installed[3] = {false, false, false};

void RecordSignal(int signal) {
  for (std::size_t i = 0; i < kTerminateSignals.size(); ++i)
    if (kTerminateSignals[i] == signal) g_pending[i] = 1;
}

}  // namespace

TerminateSignalGuard::TerminateSignalGuard() {
  if (g_depth++ > 0) return;
  for (std::size_t i = 0; i < kTerminateSignals.size(); ++i) {
    g_pending[i] = 0;
    g_installed[i] = false;
    struct sigaction previous;
    if (::sigaction(kTerminateSignals[i], nullptr, &previous) != 0) continue;
    // nohup and friends ask for the signal to be ignored; keep it so.
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_IGN) continue;
    struct sigaction record = {};
    record.sa_handler = RecordSignal;
    sigemptyset(&record.sa_mask);
    // Restart interrupted calls: a move must not fail because of the signal.
    record.sa_flags = SA_RESTART;
    if (::sigaction(kTerminateSignals[i], &record, &g_previous[i]) == 0) g_installed[i] = true;
  }
}

TerminateSignalGuard::~TerminateSignalGuard() {
  if (--g_depth > 0) return;
  for (std::size_t i = 0; i < kTerminateSignals.size(); ++i) {
    if (!g_installed[i]) continue;
    ::sigaction(kTerminateSignals[i], &g_previous[i], nullptr);
    g_installed[i] = false;
  }
  for (std::size_t i = 0; i < kTerminateSignals.size(); ++i) {
    if (g_pending[i] == 0) continue;
    g_pending[i] = 0;
    ::raise(kTerminateSignals[i]);
  }
}

}  // namespace quillon
