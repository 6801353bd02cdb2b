#include "runtime/Platform.h"

#include "runtime/Form.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace vb {
namespace {
Platform* gPlatform = nullptr;
class AnsweredMessage final : public MessageWindow {
public:
    bool Closed() const override { return true; }
};
}  // namespace

std::unique_ptr<MessageWindow> Platform::ShowMessage(const std::string& text, MessageInput&) {
    MsgBox(text);
    return std::make_unique<AnsweredMessage>();
}

std::vector<PixelRect> Platform::Monitors() const {
    const ScreenMetrics screen = Screen();
    return {PixelRect{0, 0, screen.widthPx, screen.heightPx}};
}

void Platform::NotifyMonitorsChanged() {
    // An observer may go while the others follow (a window closed with its
    // monitor): the list is walked as it stands after each.
    const std::vector<MonitorObserver*> observers = mMonitorObservers;
    for (MonitorObserver* observer : observers)
        if (std::find(mMonitorObservers.begin(), mMonitorObservers.end(), observer) != mMonitorObservers.end())
            observer->MonitorsChanged();
}

double Platform::NowMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Platform& App() {
    assert(gPlatform && "no platform backend installed");
    return *gPlatform;
}

void InstallPlatform(Platform* platform) { gPlatform = platform; }

std::string Command() { return App().Command(); }
bool PrevInstance() { return App().PrevInstance(); }
void DoEvents() { App().DoEvents(); }
void End(int exitCode) {
    App().End(App().RunFailed() && exitCode == 0 ? 1 : exitCode);
    std::abort();  // a backend's End must not return
}
void MsgBox(const std::string& text) {
    if (!MsgBoxOverUnattendedWindow(text)) App().MsgBox(text);
}

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultText) {
    auto stored = App().Settings().Get(app, section, key);
    return stored ? *stored : defaultText;
}

void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& text) {
    App().Settings().Save(app, section, key, text);
}

std::uint32_t Platform::ClockSeed() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    return std::uint32_t(ns ^ (ns >> 32));
}

void Randomize() { App().Random().Seed(App().ClockSeed()); }
Single Rnd() { return App().Random().Next(); }

void ReportUnhandledError(const RuntimeError& error) {
    std::string report = error.Report();
    if (!App().MessagesGoToStandardError()) {
        std::fprintf(stderr, "%s\n", report.c_str());
        std::fflush(stderr);
    }
    App().MarkRunFailed();
    MsgBox(report);
    App().End(1);
    std::abort();
}

}  // namespace vb
