// Drives the level meter over the PulseAudio layer the way the animation
// does, and prints what it sees, for the real-server test scripts:
//
//   message <text>                      a message box the meter showed
//   reading <epoch-us> <level> <max> <peak>
//   done                                the meter was released; exit follows
//
// Runs until SIGTERM or SIGINT, or for --seconds N (default 60). A reading
// is taken every --interval-ms N (default 5).

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "audio/clsAudioLevel.h"
#include "audio/pulse/PulseMixerWaveIn.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

long long EpochMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

void PrintNewMessages(const vb::HeadlessPlatform& platform, std::size_t& printed) {
    for (; printed < platform.messages.size(); ++printed) std::printf("message %s\n", platform.messages[printed].c_str());
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 60;
    int intervalMs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--interval-ms"))
            intervalMs = std::atoi(argv[i + 1]);
        else {
            std::fprintf(stderr, "usage: %s [--seconds N] [--interval-ms N]\n", argv[0]);
            return 2;
        }
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    vb::HeadlessPlatform platform;
    std::size_t printed = 0;
    auto meter = std::make_unique<clsAudioLevel>(CreatePulseMixerWaveIn());
    PrintNewMessages(platform, printed);

    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!gStop && std::chrono::steady_clock::now() < end) {
        // Two readings a step, as the animation takes them.
        meter->GetLevel();
        vb::Long level = meter->GetLevel();
        std::printf("reading %lld %d %d %d\n", EpochMicros(), int(level), int(meter->MaxValue()), meter->Peak() ? 1 : 0);
        PrintNewMessages(platform, printed);
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }

    meter.reset();
    PrintNewMessages(platform, printed);
    std::printf("done\n");
    return 0;
}
