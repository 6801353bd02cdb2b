// The settings dialog in Qt widgets (offscreen): every kind of user action reaches the
// portable handlers with the headless backend's result; the layout scales with the DPI.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "runtime/base/RuntimeError.h"
#include "runtime/qt/QtDialog.h"
#include "runtime/qt/QtPlatform.h"
#include "startup/modSubs.h"
#include "windows/SettingsLayout.h"
#include "windows/frmPreview.h"
#include "windows/frmSettings.h"

namespace {

struct RunEnded { int exitCode; };

class MemoryStore final : public vb::SettingsStore {
public:
    std::optional<std::string> Get(const std::string& a, const std::string& s, const std::string& k) override {
        auto it = values.find({a, s, k});
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    void Save(const std::string& a, const std::string& s, const std::string& k, const std::string& text) override {
        if (failing) vb::Raise(vb::kErrPathFileAccess);
        values[{a, s, k}] = text;
        ++saves;
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
    int saves = 0;
    bool failing = false;
};

// The Qt backend, except that End throws RunEnded, which the dialog hands back
// through its escape; message boxes are recorded and the settings live in memory.
class DialogTestPlatform final : public vb::Platform {
public:
    DialogTestPlatform() : mQt(*qApp, std::make_unique<MemoryStore>(), vb::QtPlatform::Options{.paced = false}) {}

    std::string Command() const override { return "/c"; }
    bool PrevInstance() override { return false; }
    void DoEvents() override { QCoreApplication::processEvents(); }
    [[noreturn]] void End(int exitCode) override { throw RunEnded{exitCode}; }
    void MsgBox(const std::string& text) override { messages.push_back(text); }
    vb::SettingsStore& Settings() override { return store; }
    char DecimalSeparator() const override { return '.'; }
    std::uint32_t ClockSeed() override { return 1; }
    vb::ScreenMetrics Screen() const override { return mQt.Screen(); }
    std::unique_ptr<vb::WindowBackend> CreateWindow(const vb::WindowSpec& spec, vb::WindowEvents& events,
                                                    const vb::UnitScale& scale) override {
        if (!spec.dialog) return mQt.CreateWindow(spec, events, scale);
        vb::ScreenMetrics metrics = mQt.Screen();
        metrics.twipsPerPixel = dialogTwipsPerPixel;
        return vb::CreateQtDialogWindow(spec, events, vb::UnitScale(metrics), [this](std::exception_ptr escaped) {
            try {
                std::rethrow_exception(escaped);
            } catch (const RunEnded& end) {
                ended = end.exitCode;
            }
        });
    }

    MemoryStore store;
    std::vector<std::string> messages;
    std::optional<int> ended;  // the exit code of a run a handler ended
    double dialogTwipsPerPixel = 15;  // the dialog's screen: 96 DPI unless a test says otherwise

private:
    vb::QtPlatform mQt;
};

// Where a part of a scroll bar (arrow, trough, thumb) lies, as its style lays it out.
QRect PartOf(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class QtDialogTest : public ::testing::Test {
public:
    void SetUp() override { vb::InstallPlatform(&platform); }
    void TearDown() override {
        Close();
        vb::InstallPlatform(nullptr);
    }
    void Close() {
        modSubs::ResetProgram();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the dialog as Main does in settings mode, over a store holding `stored`.
    void Open(std::map<std::string, std::string> stored = {}) {
        Close();
        platform.store = MemoryStore();
        platform.messages.clear();
        platform.ended.reset();
        for (const auto& [key, text] : stored) platform.store.values[{"Gyrobloom", "Settings", key}] = text;
        auto settings = modSubs::frmSettingsInstance();
        settings->GyrobloomClass(modSubs::gEngineRef());
        settings->Show();
        dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->windowTitle() == "Screen Saver Properties")
                dialog = qobject_cast<QDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
    }

    template <typename T = QWidget>
    T* Find(const std::string& name) {
        T* widget = dialog->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    std::string Label(const char* name) { return Find<QLabel>(name)->text().toStdString(); }
    QRadioButton* Option(int i) { return Find<QRadioButton>("optDrawStyle(" + std::to_string(i) + ")"); }

    void ClickTab(int tab) {
        auto* tabs = Find<QTabBar>("TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab - 1).center());
    }
    static void ClickPart(QScrollBar* bar, QStyle::SubControl part) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, PartOf(bar, part).center());
    }

    // The page frame a user sees in the middle of the pages' area.
    std::string FrontPage() {
        for (QWidget* w = dialog->childAt(Find("fraShapes")->geometry().center()); w && w != dialog;
             w = w->parentWidget())
            if (w->parentWidget() == dialog) return w->objectName().toStdString();
        return "";
    }

    clsGyrobloom& Engine() { return modSubs::gEngine(); }

    DialogTestPlatform platform;
    QDialog* dialog = nullptr;
};

TEST_F(QtDialogTest, WidgetsSitWhereTheLayoutPutsThemAtEachScale) {
    for (double twipsPerPixel : {15.0, 10.0, 7.5}) {  // 96, 144 and 192 DPI
        SCOPED_TRACE(twipsPerPixel);
        platform.dialogTwipsPerPixel = twipsPerPixel;
        Open();
        auto px = [&](int twips) { return int(std::lround(twips / twipsPerPixel)); };
        EXPECT_EQ(dialog->size(), QSize(px(SettingsLayout::kClientWidth), px(SettingsLayout::kClientHeight)));
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "fixed size";

        for (const vb::ControlLayout& c : SettingsLayout::Layout().controls) {
            SCOPED_TRACE(vb::ControlKey(c.name, c.index));
            QWidget* widget = Find(vb::ControlKey(c.name, c.index));
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->parentWidget(), c.container.empty() ? dialog : Find(c.container));
            EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry())) << "inside its container";
            const QRect laidOut(px(c.rect.left), px(c.rect.top), px(c.rect.width), px(c.rect.height));
            if (c.kind == vb::ControlKind::TabStrip) {
                EXPECT_EQ(widget->pos(), laidOut.topLeft());
            } else if (c.kind == vb::ControlKind::CheckBox || c.kind == vb::ControlKind::OptionButton) {
                // Grown, if at all, to the style's indicator, about the same middle.
                EXPECT_EQ(std::pair(widget->x(), widget->width()), std::pair(laidOut.x(), laidOut.width()));
                EXPECT_GE(widget->height(), laidOut.height());
                EXPECT_LE(std::abs(widget->geometry().center().y() - laidOut.center().y()), 1);
            } else {
                EXPECT_EQ(widget->geometry(), laidOut);
            }
        }
    }
}

TEST_F(QtDialogTest, ArrowsTroughsKeysAndTheWheelReachTheHandlers) {
    using Act = std::function<void(QScrollBar*)>;
    auto part = [](QStyle::SubControl p) -> Act { return [p](QScrollBar* bar) { ClickPart(bar, p); }; };
    auto key = [](Qt::Key k) -> Act { return [k](QScrollBar* bar) { QTest::keyClick(bar, k); }; };
    const Act wheelTowardsTheUser = [](QScrollBar* bar) {
        QWheelEvent notch(QPointF(20, 8), bar->mapToGlobal(QPointF(20, 8)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &notch);
    };
    const std::tuple<int, const char*, Act, const char*, const char*, int> cases[] = {
        {2, "NumRays", part(QStyle::SC_ScrollBarAddLine), "Number: 4", "right arrow", 4},
        {2, "NumRays", part(QStyle::SC_ScrollBarSubLine), "Number: 2", "left arrow", 2},
        {3, "ColorScale", part(QStyle::SC_ScrollBarAddPage), "Color Shift: 100", "right trough", 100},
        {1, "XMaxPercent", part(QStyle::SC_ScrollBarSubPage), "Size: 70", "left trough", 70},
        {2, "NumRays", key(Qt::Key_Right), "Number: 4", "Right key", 4},
        {1, "YMaxPercent", key(Qt::Key_PageUp), "Size: 95", "Page Up key", 95},
        {2, "EraseRate", wheelTowardsTheUser, "Length: 6", "wheel", 6},
    };
    for (const auto& [tab, name, act, caption, what, value] : cases) {
        SCOPED_TRACE(what);
        Open();
        ClickTab(tab);
        Engine().ResetMe(false);
        auto* bar = Find<QScrollBar>(std::string("hsb") + name);
        act(bar);
        EXPECT_EQ(Label((std::string("lbl") + name).c_str()), caption);
        EXPECT_EQ(bar->value(), value) << "the widget shows the portable value";
        EXPECT_TRUE(Engine().ResetMe());
        EXPECT_FALSE(platform.ended);
    }
}

TEST_F(QtDialogTest, DraggingAThumbReportsOnlyAtRelease) {
    Open();
    auto* bar = Find<QScrollBar>("hsbXMaxPercent");
    const QRect groove = PartOf(bar, QStyle::SC_ScrollBarGroove);
    QPoint at = PartOf(bar, QStyle::SC_ScrollBarSlider).center();
    Engine().ResetMe(false);
    SendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
    while (at.x() > groove.left() + 20) {
        at -= QPoint(7, 0);
        SendMouse(bar, QEvent::MouseMove, at, Qt::LeftButton);
        EXPECT_EQ(Label("lblXMaxPercent"), "Size: 75");
    }
    EXPECT_FALSE(Engine().ResetMe()) << "nothing ran during the drag";
    const int released = bar->sliderPosition();
    EXPECT_LT(released, 40) << "the thumb followed the pointer";
    SendMouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_EQ(Label("lblXMaxPercent"), "Size: " + std::to_string(released));
    EXPECT_EQ(bar->value(), released);
    EXPECT_TRUE(Engine().ResetMe());
}

TEST_F(QtDialogTest, TabsCheckBoxAndStyleOptions) {
    Open({{"Ray Width", "1"}, {"Draw Style", "1"}});
    for (auto [tab, page] : {std::pair{2, "fraRays"}, std::pair{1, "fraShapes"}, std::pair{3, "fraEffects"}}) {
        ClickTab(tab);
        EXPECT_EQ(FrontPage(), page);
        EXPECT_EQ(Find<QTabBar>("TabStrip1")->currentIndex(), tab - 1);
    }
    auto* mirror = Find<QCheckBox>("chkMirror");
    Engine().ResetMe(false);
    QTest::mouseClick(mirror, Qt::LeftButton);
    EXPECT_TRUE(Engine().Mirror());
    EXPECT_TRUE(mirror->isChecked());
    EXPECT_TRUE(Engine().ResetMe());
    QTest::keyClick(mirror, Qt::Key_Space);
    EXPECT_FALSE(Engine().Mirror());
    EXPECT_FALSE(mirror->isChecked());

    ClickTab(2);
    ASSERT_TRUE(Option(1)->isChecked());
    QTest::mouseClick(Option(3), Qt::LeftButton);
    QTest::mouseClick(Option(3), Qt::LeftButton);
    EXPECT_EQ(Engine().DrawStyle(), 3);
    EXPECT_TRUE(Option(3)->isChecked()) << "clicking the selected option keeps it";
    EXPECT_FALSE(Option(1)->isChecked());
    ClickPart(Find<QScrollBar>("hsbRayWidth"), QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(Engine().DrawStyle(), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Option(i)->isChecked(), i == 0) << i;
        EXPECT_FALSE(Option(i)->isEnabled()) << i;
    }
}

TEST_F(QtDialogTest, ButtonsKeysAndTheCloseBox) {
    using Act = std::function<void(QtDialogTest&)>;
    auto click = [](const char* button) -> Act {
        return [button](QtDialogTest& t) { QTest::mouseClick(t.Find<QPushButton>(button), Qt::LeftButton); };
    };
    const Act applyFailing = [click](QtDialogTest& t) {
        t.platform.store.failing = true;
        click("Command3")(t);
    };
    const std::tuple<const char*, Act, std::optional<int>, int> cases[] = {
        {"OK", click("Command1"), 0, 14},
        {"Cancel", click("Command2"), 0, 0},
        {"Apply", click("Command3"), std::nullopt, 14},
        {"close box", [](QtDialogTest& t) { t.dialog->close(); }, 0, 0},
        {"Enter", [](QtDialogTest& t) { QTest::keyClick(t.dialog, Qt::Key_Return); }, 0, 14},
        {"Esc", [](QtDialogTest& t) { QTest::keyClick(t.dialog, Qt::Key_Escape); }, std::nullopt, 0},
        {"Apply, the store failing", applyFailing, 1, 0},
    };
    const std::vector<std::string> report = {"Run-time error '75':\n\nPath/File access error"};
    for (const auto& [name, act, exitCode, saves] : cases) {
        SCOPED_TRACE(name);
        Open();
        ClickTab(2);
        ClickPart(Find<QScrollBar>("hsbNumRays"), QStyle::SC_ScrollBarAddLine);
        act(*this);
        EXPECT_EQ(platform.ended, exitCode);
        EXPECT_TRUE(exitCode || dialog->isVisible()) << "the dialog stays open while the run goes on";
        EXPECT_EQ(modSubs::frmPreviewInstance()->IsLoaded(), exitCode != 0) << "only ShutDown unloads the preview";
        EXPECT_EQ(platform.store.saves, saves);
        EXPECT_EQ((platform.store.values[{"Gyrobloom", "Settings", "Number of Rays"}]), saves ? "4" : "");
        EXPECT_EQ(platform.messages, exitCode == 1 ? report : std::vector<std::string>{});
    }
}

}  // namespace
