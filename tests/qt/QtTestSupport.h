#pragma once
// What the Qt window and platform tests share: a platform installed for the
// test's length, a form that exposes its Qt side, and a log of paint events.

#include <QApplication>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Form.h"
#include "runtime/qt/QtCanvas.h"
#include "runtime/qt/QtDrawingWindow.h"
#include "runtime/qt/QtPlatform.h"

namespace qttest {

// These tests never read or save settings.
class NoSettings final : public vb::SettingsStore {
public:
    std::optional<std::string> Get(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void Save(const std::string&, const std::string&, const std::string&, const std::string&) override {}
};

// Installs an unpaced QtPlatform; Install(true) replaces it with a paced one.
class QtPlatformFixture : public ::testing::Test {
protected:
    void SetUp() override { Install(false); }
    void TearDown() override {
        vb::InstallPlatform(nullptr);
        platform.reset();
    }
    void Install(bool paced, vb::QtPlatform::Options::Frames frames = vb::QtPlatform::Options::Frames::kAuto) {
        vb::InstallPlatform(nullptr);
        platform.reset();
        platform = std::make_unique<vb::QtPlatform>(*qApp, std::make_unique<NoSettings>(),
                                                    vb::QtPlatform::Options{.paced = paced, .frames = frames});
        vb::InstallPlatform(platform.get());
    }

    std::unique_ptr<vb::QtPlatform> platform;
};

inline vb::WindowSpec PreviewWindow() { return {.caption = "Preview", .blankCursor = true}; }
inline vb::WindowSpec SaverWindow() {
    return {.caption = "", .fullScreen = true, .controlBox = false, .blankCursor = true};
}

class ProbeForm final : public vb::Form {
public:
    explicit ProbeForm(vb::WindowSpec kind = PreviewWindow()) : vb::Form(std::move(kind)) {}
    vb::QtCanvas& Canvas() { return dynamic_cast<vb::QtCanvas&>(Window().Surface()); }
    QWidget* Widget() { return dynamic_cast<vb::QtDrawingWindow&>(Window()).Widget(); }
    vb::WindowBackend& Backend() { return Window(); }

    // Sizes the window in pixels (15 twips each at 96 DPI), shows it and
    // waits until it is on screen.
    bool ShowSized(int widthPx, int heightPx) {
        Width(float(widthPx * 15));
        Height(float(heightPx * 15));
        Show();
        return QTest::qWaitForWindowExposed(Widget());
    }

    std::vector<std::pair<vb::Single, vb::Single>> moves;

protected:
    void Form_MouseMove(vb::Integer, vb::Integer, vb::Single x, vb::Single y) override { moves.emplace_back(x, y); }
};

// Every paint event the widget gets from now on.
struct PaintLog final : QObject {
    explicit PaintLog(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
    int paints = 0;
    QRegion painted;
};

}  // namespace qttest
