#pragma once
// SIGTERM and SIGINT as a request to stop, seen by the event loop. The
// handlers only set a flag and write a byte into a pipe whose read end the
// loop waits on beside the X connection, so that a signal wakes a waiting
// loop at once and the run ends in order (meter first, then the window)
// rather than in the middle of a step. Asking for the flag costs no system
// call.
//
// Signal handlers have no user data, so the flag and the pipe's write end
// are program-wide variables while the object lives.

namespace vb {

class StopSignals final {
public:
    // Installs the handlers; the previous ones come back on destruction.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable once a stop was requested (it is never read: the flag says).
    int Fd() const { return mRead; }
    // True when a stop was requested since the start.
    bool Requested() const;

private:
    int mRead = -1;
    int mWrite = -1;
};

}  // namespace vb
