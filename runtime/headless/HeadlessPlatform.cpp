#include "runtime/headless/HeadlessPlatform.h"

#include <algorithm>

#include "runtime/headless/HeadlessDialog.h"

namespace vb {

HeadlessWindow::HeadlessWindow(const WindowSpec& s, WindowEvents& e, const ScreenMetrics& m)
    : spec(s), events(e), screen(m), scale(m) {
    geometry = {0, 0, 640, 480};
}

HeadlessWindow::~HeadlessWindow() = default;

void HeadlessWindow::Show() {
    shown = true;
    if (spec.fullScreen) geometry = spec.monitor.width > 0 ? spec.monitor : PixelRect{0, 0, screen.widthPx, screen.heightPx};
}

void HeadlessWindow::Cls() { ops.push_back({DrawOp::Cls}); }

void HeadlessWindow::DrawWidth(Integer width) {
    penWidth = width;
    DrawOp op{DrawOp::DrawWidth};
    op.value = width;
    ops.push_back(op);
}

void HeadlessWindow::DrawStyle(Integer style) {
    penStyle = style;
    DrawOp op{DrawOp::DrawStyle};
    op.value = style;
    ops.push_back(op);
}

void HeadlessWindow::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    DrawOp op{DrawOp::Line};
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    op.width = penWidth;
    op.style = penStyle;
    op.pen = ResolvePen(penWidth, penStyle, scale, screen.devicePixelRatio);
    ops.push_back(op);
}

std::vector<DrawOp> HeadlessWindow::Lines() const {
    std::vector<DrawOp> lines;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(lines),
                 [](const DrawOp& op) { return op.kind == DrawOp::Line; });
    return lines;
}

std::optional<std::string> InMemorySettingsStore::Get(const std::string& app, const std::string& section,
                                                      const std::string& key) {
    auto it = values.find({app, section, key});
    if (it == values.end()) return std::nullopt;
    return it->second;
}

void InMemorySettingsStore::Save(const std::string& app, const std::string& section, const std::string& key,
                                 const std::string& text) {
    values[{app, section, key}] = text;
    saved.emplace_back(key, text);
}

HeadlessPlatform::HeadlessPlatform() { InstallPlatform(this); }

HeadlessPlatform::~HeadlessPlatform() { InstallPlatform(nullptr); }

HeadlessMessage::HeadlessMessage(std::string t, MessageInput& i, std::vector<HeadlessMessage*>& list)
    : text(std::move(t)), input(i), mList(list) {
    mList.push_back(this);
}

HeadlessMessage::~HeadlessMessage() { std::erase(mList, this); }

std::unique_ptr<MessageWindow> HeadlessPlatform::ShowMessage(const std::string& text, MessageInput& input) {
    messages.push_back(text);
    ++boxesShown;
    return std::make_unique<HeadlessMessage>(text, input, openBoxes);
}

void HeadlessPlatform::DoEvents() {
    ++doEventsCalls;
    nowMs += msPerDoEvents;
    auto [first, last] = mScript.equal_range(doEventsCalls);
    std::vector<std::function<void()>> actions;
    for (auto it = first; it != last; ++it) actions.push_back(it->second);
    mScript.erase(first, last);
    for (auto& action : actions) action();
}

void HeadlessPlatform::End(int exitCode) {
    endedWith = exitCode;
    throw EndOfRun{exitCode};
}

namespace {
// Keeps the platform's list of live windows in step with the backends.
class TrackedWindow final : public WindowBackend {
public:
    TrackedWindow(std::unique_ptr<HeadlessWindow> window, std::vector<HeadlessWindow*>& list)
        : mWindow(std::move(window)), mList(list) {
        mList.push_back(mWindow.get());
    }
    ~TrackedWindow() override { std::erase(mList, mWindow.get()); }
    void Show() override { mWindow->Show(); }
    void SendToBack() override { mWindow->SendToBack(); }
    void BringToFront() override { mWindow->BringToFront(); }
    PixelRect Geometry() const override { return mWindow->Geometry(); }
    void SetGeometry(const PixelRect& outer) override { mWindow->SetGeometry(outer); }
    Canvas& Surface() override { return *mWindow; }

private:
    std::unique_ptr<HeadlessWindow> mWindow;
    std::vector<HeadlessWindow*>& mList;
};
}  // namespace

std::unique_ptr<WindowBackend> HeadlessPlatform::CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                              const UnitScale&) {
    ++windowsCreated;
    if (spec.dialog && events.Controls())
        return std::make_unique<HeadlessDialog>(spec, events, screen, *events.Controls(), windows, dialogs);
    return std::make_unique<TrackedWindow>(std::make_unique<HeadlessWindow>(spec, events, screen), windows);
}

void HeadlessPlatform::At(int doEventsCall, std::function<void()> action) {
    mScript.emplace(doEventsCall, std::move(action));
}

void HeadlessPlatform::EndAt(int doEventsCall) {
    At(doEventsCall, [this] { End(0); });
}

}  // namespace vb
