#pragma once
// The headless backend: the whole program without a display.
//
// Implemented: windows with a recording drawing surface (every Cls, Line,
// DrawWidth and DrawStyle in order), dialog windows whose controls a test
// can read and operate (HeadlessDialog), scripted input run by DoEvents, an
// in-memory settings store, message boxes recorded instead of shown, a
// seedable random generator with a scripted clock, and an End that unwinds
// to the test as an EndOfRun exception.
// Not implemented: pacing (DoEvents never waits).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/Platform.h"
#include "runtime/base/Pen.h"

namespace vb {

class HeadlessDialog;

// Thrown by End. Deliberately not a std::exception, so that no handler of the
// program's own errors can catch it.
struct EndOfRun {
    int exitCode = 0;
};

struct DrawOp {
    enum Kind { Cls, DrawWidth, DrawStyle, Line } kind = Cls;
    Integer value = 0;  // DrawWidth, DrawStyle
    Single x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Long color = 0;
    Integer width = 1, style = 0;  // the form's DrawWidth and DrawStyle for a Line
    Pen pen{};                     // the pen a real canvas draws that Line with

    bool operator==(const DrawOp&) const = default;
};

class HeadlessWindow final : public WindowBackend, public Canvas {
public:
    HeadlessWindow(const WindowSpec& spec, WindowEvents& events, const ScreenMetrics& screen);
    ~HeadlessWindow() override;

    void Show() override;
    void SendToBack() override { zOrderBack = true; }
    void BringToFront() override { zOrderBack = false; }
    PixelRect Geometry() const override { return geometry; }
    void SetGeometry(const PixelRect& outer) override { geometry = outer; }
    Canvas& Surface() override { return *this; }

    void Cls() override;
    void DrawWidth(Integer width) override;
    void DrawStyle(Integer style) override;
    void Rescale(const UnitScale& newScale) override { scale = newScale; }
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override;

    std::vector<DrawOp> Lines() const;

    WindowSpec spec;
    WindowEvents& events;
    ScreenMetrics screen;
    PixelRect geometry;
    bool shown = false;
    bool zOrderBack = false;
    std::vector<DrawOp> ops;
    UnitScale scale;
    Integer penWidth = 1, penStyle = 0;
};

class InMemorySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> Get(const std::string& app, const std::string& section,
                                   const std::string& key) override;
    void Save(const std::string& app, const std::string& section, const std::string& key,
              const std::string& text) override;

    using Key = std::tuple<std::string, std::string, std::string>;
    std::map<Key, std::string> values;
    std::vector<std::pair<std::string, std::string>> saved;  // key and text, in the order saved
};

// A box ShowMessage put up: the test acts on it through input.
struct HeadlessMessage final : MessageWindow {
    HeadlessMessage(std::string t, MessageInput& i, std::vector<HeadlessMessage*>& list);
    ~HeadlessMessage() override;
    bool Closed() const override { return closed; }

    std::string text;
    MessageInput& input;
    bool closed = false;  // set by a test: the box's own OK

private:
    std::vector<HeadlessMessage*>& mList;
};

class HeadlessPlatform final : public Platform {
public:
    HeadlessPlatform();
    ~HeadlessPlatform() override;

    std::string Command() const override { return command; }
    bool PrevInstance() override { return prevInstance; }
    void DoEvents() override;
    [[noreturn]] void End(int exitCode) override;
    // Every box is answered at once.
    void MsgBox(const std::string& text) override { messages.push_back(text); }
    std::unique_ptr<MessageWindow> ShowMessage(const std::string& text, MessageInput& input) override;
    // The scripted clock: DoEvents moves it on by msPerDoEvents.
    double NowMs() const override { return nowMs; }
    SettingsStore& Settings() override { return store; }
    char DecimalSeparator() const override { return decimalSeparator; }
    std::uint32_t ClockSeed() override { return clockSeed++; }
    ScreenMetrics Screen() const override { return screen; }
    std::vector<PixelRect> Monitors() const override {
        return monitors.empty() ? Platform::Monitors() : monitors;
    }
    std::unique_ptr<WindowBackend> CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                const UnitScale& scale) override;

    // Runs the action inside the DoEvents call with this number (1 is the
    // first call); actions for the same call run in the order posted.
    void At(int doEventsCall, std::function<void()> action);
    // Ends the run (exit code 0) inside the given DoEvents call, so that a
    // test can run a loop that never returns for a fixed number of steps.
    void EndAt(int doEventsCall);

    // The live windows, oldest first.
    std::vector<HeadlessWindow*> windows;
    // The live dialog windows (also in `windows`), oldest first: a test's
    // hands on their controls.
    std::vector<HeadlessDialog*> dialogs;

    std::string command;
    bool prevInstance = false;
    ScreenMetrics screen;
    std::vector<PixelRect> monitors;  // none: the one screen
    char decimalSeparator = '.';
    std::uint32_t clockSeed = 12345;
    InMemorySettingsStore store;
    std::vector<std::string> messages;       // the text of every box, modal or not
    std::vector<HeadlessMessage*> openBoxes;  // boxes of ShowMessage still standing
    int boxesShown = 0;                       // boxes of ShowMessage ever shown
    double nowMs = 0;
    double msPerDoEvents = 1000.0 / 60;
    int doEventsCalls = 0;
    std::optional<int> endedWith;
    int windowsCreated = 0;

private:
    std::multimap<int, std::function<void()>> mScript;
};

}  // namespace vb
