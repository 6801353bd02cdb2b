#include "runtime/x11/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace vb {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};
int gStopWrite = -1;
volatile std::sig_atomic_t gStopRequested = 0;
struct sigaction gPrevious[2];

void OnStopSignal(int) {
    gStopRequested = 1;
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a request; nothing is lost.
    [[maybe_unused]] ssize_t n = write(gStopWrite, &byte, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals() {
    assert(gStopWrite < 0 && "one StopSignals at a time");
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then no signal is caught: the default ends the run
    mRead = fds[0];
    mWrite = fds[1];
    gStopWrite = mWrite;
    gStopRequested = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &action, &gPrevious[i]);
}

StopSignals::~StopSignals() {
    if (mRead < 0) return;
    for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &gPrevious[i], nullptr);
    gStopWrite = -1;
    close(mRead);
    close(mWrite);
}

bool StopSignals::Requested() const { return gStopRequested != 0; }

}  // namespace vb
