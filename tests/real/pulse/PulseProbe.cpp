// Drives the level meter over the PulseAudio layer the way the animation
// does, for tests/real/pulse_*.sh, and prints what it sees:
//
//   message <text>                      a message box the meter showed
//   reading <epoch-us> <level> <max> <peak>
//   done                                the meter was released; exit follows
//
// Runs until SIGTERM or SIGINT, or for --seconds N (default 60).

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "audio/clsAudioLevel.h"
#include "audio/pulse/PulseMixerWaveIn.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

void PrintNewMessages(const vb::HeadlessPlatform& platform, std::size_t& printed) {
    for (; printed < platform.messages.size(); ++printed) std::printf("message %s\n", platform.messages[printed].c_str());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace std::chrono;
    double seconds = 60;
    if (argc == 3 && !std::strcmp(argv[1], "--seconds")) {
        seconds = std::atof(argv[2]);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [--seconds N]\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    vb::HeadlessPlatform platform;
    std::size_t printed = 0;
    auto meter = std::make_unique<clsAudioLevel>(CreatePulseMixerWaveIn());
    PrintNewMessages(platform, printed);

    const auto end = steady_clock::now() + duration<double>(seconds);
    while (!gStop && steady_clock::now() < end) {
        meter->GetLevel();  // two readings a step, as the animation takes them
        const vb::Long level = meter->GetLevel();
        const long long us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
        std::printf("reading %lld %d %d %d\n", us, int(level), int(meter->MaxValue()), meter->Peak() ? 1 : 0);
        PrintNewMessages(platform, printed);
        std::this_thread::sleep_for(5ms);
    }

    meter.reset();
    PrintNewMessages(platform, printed);
    std::printf("done\n");
    return 0;
}
