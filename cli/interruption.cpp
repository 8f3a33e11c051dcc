#include "cli/interruption.h"

#include <csignal>

namespace vellumtrace {
namespace {

volatile std::sig_atomic_t g_signal = 0;
struct sigaction g_previous[3];
constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGXFSZ};

extern "C" void RecordSignal(int number) { g_signal = number; }

}  // namespace

InterruptionGuard::InterruptionGuard() {
  g_signal = 0;
  for (int i = 0; i < 3; ++i) {
    struct sigaction action {};
    action.sa_handler = kSignals[i] == SIGXFSZ ? SIG_IGN : RecordSignal;
    sigemptyset(&action.sa_mask);
    sigaction(kSignals[i], &action, &g_previous[i]);
  }
}

InterruptionGuard::~InterruptionGuard() {
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

int InterruptionGuard::Signal() { return g_signal; }

}  // namespace vellumtrace
