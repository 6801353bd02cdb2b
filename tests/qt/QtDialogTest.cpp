// The settings dialog in real Qt widgets (offscreen): clicks, drags and keys
// on the widgets reach the same handlers, with the same results, as on the
// headless backend, and the widgets sit where the layout puts them.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "runtime/DialogControls.h"
#include "runtime/Form.h"
#include "runtime/Platform.h"
#include "runtime/qt/QtDialog.h"
#include "runtime/qt/QtPlatform.h"
#include "startup/modSubs.h"
#include "windows/SettingsLayout.h"
#include "windows/frmPreview.h"
#include "windows/frmSettings.h"

namespace {

// What End throws here, so that a test sees where the run ended.
struct RunEnded {
    int exitCode;
};

class MemoryStore final : public vb::SettingsStore {
public:
    std::optional<std::string> Get(const std::string& app, const std::string& section,
                                   const std::string& key) override {
        auto it = values.find({app, section, key});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void Save(const std::string& app, const std::string& section, const std::string& key,
              const std::string& text) override {
        values[{app, section, key}] = text;
        ++saves;
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
    int saves = 0;
};

// The Qt backend with three changes for testing: End throws RunEnded (which
// the dialog hands back through its escape), message boxes are recorded,
// and the settings live in memory.
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
        vb::UnitScale dialogScale = scale;
        if (dialogTwipsPerPixel) {
            vb::ScreenMetrics metrics = mQt.Screen();
            metrics.twipsPerPixel = *dialogTwipsPerPixel;
            dialogScale = vb::UnitScale(metrics);
        }
        return vb::CreateQtDialogWindow(spec, events, dialogScale,
                                        [this](std::exception_ptr escaped) { this->escaped = escaped; });
    }

    MemoryStore store;
    std::vector<std::string> messages;
    std::exception_ptr escaped;
    std::optional<double> dialogTwipsPerPixel;  // a screen of another DPI for the dialog

private:
    vb::QtPlatform mQt;
};

QDialog* VisibleDialog(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible() && dialog->windowTitle() == title)
            return dialog;
    return nullptr;
}

// The rectangle of a part of a scroll bar (arrow, trough, thumb), as its
// style lays it out.
QRect PartOf(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class QtDialogTest : public ::testing::Test {
public:
    void SetUp() override {
        vb::InstallPlatform(&platform);
        modSubs::ResetProgram();
    }
    void TearDown() override {
        modSubs::ResetProgram();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        vb::InstallPlatform(nullptr);
    }

    void Store(const std::string& key, const std::string& text) {
        platform.store.values[{"Gyrobloom", "Settings", key}] = text;
    }
    std::optional<std::string> Stored(const std::string& key) {
        auto it = platform.store.values.find({"Gyrobloom", "Settings", key});
        if (it == platform.store.values.end()) return std::nullopt;
        return it->second;
    }

    // Opens the dialog as Main does in settings mode.
    QDialog* Open() {
        auto settings = modSubs::frmSettingsInstance();
        settings->GyrobloomClass(modSubs::gEngineRef());
        settings->Show();
        QDialog* dialog = VisibleDialog("Screen Saver Properties");
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    template <typename T>
    T* Find(QDialog* dialog, const char* name) {
        T* widget = dialog->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    std::string LabelText(QDialog* dialog, const char* label) {
        return Find<QLabel>(dialog, label)->text().toStdString();
    }

    void ClickTab(QDialog* dialog, int tab) {
        auto* tabs = Find<QTabBar>(dialog, "TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab - 1).center());
    }
    void ClickPart(QScrollBar* bar, QStyle::SubControl part) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, PartOf(bar, part).center());
    }
    void ClickCheckBox(QAbstractButton* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

    // The page frame a user sees in the middle of the pages' area.
    std::string FrontPage(QDialog* dialog) {
        const QRect pages = Find<QWidget>(dialog, "fraShapes")->geometry();
        for (QWidget* w = dialog->childAt(pages.center()); w && w != dialog; w = w->parentWidget())
            if (w->parentWidget() == dialog && w->objectName().startsWith("fra")) return w->objectName().toStdString();
        return "";
    }

    // The exit code of the run if a forward ended it; resets the record.
    std::optional<int> Ended() {
        std::exception_ptr escaped = std::exchange(platform.escaped, nullptr);
        if (!escaped) return std::nullopt;
        try {
            std::rethrow_exception(escaped);
        } catch (const RunEnded& end) {
            return end.exitCode;
        } catch (...) {
            ADD_FAILURE() << "something else escaped the dialog";
        }
        return std::nullopt;
    }

    clsGyrobloom& Engine() { return modSubs::gEngine(); }

    DialogTestPlatform platform;
};

// --- Layout ------------------------------------------------------------------

TEST_F(QtDialogTest, WidgetsSitWhereTheLayoutPutsThemAtEachScale) {
    // 96, 144 and 192 DPI reported by the screen.
    for (double twipsPerPixel : {15.0, 10.0, 7.5}) {
        SCOPED_TRACE(twipsPerPixel);
        modSubs::ResetProgram();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.dialogTwipsPerPixel = twipsPerPixel;
        QDialog* dialog = Open();
        ASSERT_NE(dialog, nullptr);
        auto px = [&](int twips) { return int(std::lround(twips / twipsPerPixel)); };
        EXPECT_EQ(dialog->size(), QSize(px(SettingsLayout::kClientWidth), px(SettingsLayout::kClientHeight)));
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "fixed size";

        for (const vb::ControlLayout& c : SettingsLayout::Layout().controls) {
            const std::string key = vb::ControlKey(c.name, c.index);
            SCOPED_TRACE(key);
            QWidget* widget = dialog->findChild<QWidget*>(QString::fromStdString(key));
            ASSERT_NE(widget, nullptr);
            const QWidget* expectedParent =
                c.container.empty() ? dialog : dialog->findChild<QWidget*>(QString::fromStdString(c.container));
            EXPECT_EQ(widget->parentWidget(), expectedParent);
            EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()))
                << "lies inside its container";
            if (c.kind == vb::ControlKind::TabStrip) {
                EXPECT_EQ(widget->geometry().topLeft(), QPoint(px(c.rect.left), px(c.rect.top)));
                continue;
            }
            const QRect laidOut(px(c.rect.left), px(c.rect.top), px(c.rect.width), px(c.rect.height));
            if (c.kind == vb::ControlKind::CheckBox || c.kind == vb::ControlKind::OptionButton) {
                // Grown, if at all, to the style's indicator, about the same middle.
                EXPECT_EQ(widget->x(), laidOut.x());
                EXPECT_EQ(widget->width(), laidOut.width());
                EXPECT_GE(widget->height(), laidOut.height());
                EXPECT_LE(std::abs(widget->geometry().center().y() - laidOut.center().y()), 1);
                continue;
            }
            EXPECT_EQ(widget->geometry(), laidOut);
        }
    }
}

TEST_F(QtDialogTest, ControlsAreTheDescribedKinds) {
    QDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Find<QPushButton>(dialog, "Command1")->isDefault());
    EXPECT_FALSE(Find<QPushButton>(dialog, "Command2")->isDefault());
    EXPECT_EQ(Find<QPushButton>(dialog, "Command3")->text(), "Apply");
    auto* tabs = Find<QTabBar>(dialog, "TabStrip1");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), "Dimensions");
    EXPECT_EQ(tabs->tabText(1), "Rays");
    EXPECT_EQ(tabs->tabText(2), "Effects");
    for (const char* name : {"Frame1", "Frame2", "fraDrawStyle", "fraEffects", "Frame3"})
        EXPECT_NE(dialog->findChild<QGroupBox*>(name), nullptr) << name;
    EXPECT_EQ(dialog->findChild<QGroupBox*>("fraDrawStyle")->title(), "Style");
    for (const char* name : {"hsbXMaxPercent", "hsbNumRays", "hsbColorScale"}) {
        auto* bar = Find<QScrollBar>(dialog, name);
        EXPECT_FALSE(bar->hasTracking()) << name;
        EXPECT_FALSE(bar->invertedControls()) << name;
        EXPECT_NE(bar->focusPolicy() & Qt::TabFocus, 0) << name;
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), 5);
    }
    EXPECT_EQ(Find<QScrollBar>(dialog, "hsbNumRays")->minimum(), 1);
    EXPECT_EQ(Find<QScrollBar>(dialog, "hsbRotation")->minimum(), 0);
    EXPECT_EQ(Find<QCheckBox>(dialog, "chkPulseInOut")->text(), "Pulse In/Out");
    EXPECT_EQ(Find<QRadioButton>(dialog, "optDrawStyle(3)")->text(), "Dash-Dot");
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

// --- What the user sees on opening --------------------------------------------------

TEST_F(QtDialogTest, OpensWithTheDefaultsShown) {
    QDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const std::map<const char*, const char*> labels = {
        {"lblXMaxPercent", "Size: 75"},  {"lblXIncrPercent", "Speed: 100"}, {"lblYMaxPercent", "Size: 100"},
        {"lblYIncrPercent", "Speed: 100"}, {"lblRotation", "Rotation Speed: 100"}, {"lblNumRays", "Number: 3"},
        {"lblEraseRate", "Length: 5"},   {"lblRayWidth", "Width: 25"},     {"lblColorScale", "Color Shift: 95"}};
    for (const auto& [label, text] : labels) EXPECT_EQ(LabelText(dialog, label), text) << label;
    EXPECT_EQ(Find<QScrollBar>(dialog, "hsbXMaxPercent")->value(), 75);
    EXPECT_EQ(Find<QScrollBar>(dialog, "hsbColorScale")->value(), 95);
    EXPECT_EQ(FrontPage(dialog), "fraShapes");
    EXPECT_EQ(Find<QTabBar>(dialog, "TabStrip1")->currentIndex(), 0);
    for (int i = 0; i < 4; ++i) {
        auto* option = Find<QRadioButton>(dialog, ("optDrawStyle(" + std::to_string(i) + ")").c_str());
        EXPECT_FALSE(option->isEnabled()) << i;
        EXPECT_EQ(option->isChecked(), i == 0) << i;
    }
    EXPECT_TRUE(Find<QCheckBox>(dialog, "chkRandomize")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkMirror")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkPulseInOut")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkPulseRotation")->isChecked());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>(dialog, "Command1")) << "OK has the focus first";
}

// --- Scroll bars ------------------------------------------------------------------

TEST_F(QtDialogTest, ArrowsTroughsAndKeysReachTheHandlers) {
    struct Case {
        int tab;
        const char* bar;
        std::function<void(QtDialogTest&, QScrollBar*)> act;
        const char* label;
        const char* caption;
        std::function<double(const clsGyrobloom&)> property;
        double value;
    };
    auto part = [](QStyle::SubControl p) {
        return [p](QtDialogTest& t, QScrollBar* bar) { t.ClickPart(bar, p); };
    };
    auto key = [](Qt::Key k) {
        return [k](QtDialogTest&, QScrollBar* bar) {
            bar->setFocus();
            QTest::keyClick(bar, k);
        };
    };
    const Case cases[] = {
        {2, "hsbNumRays", part(QStyle::SC_ScrollBarAddLine), "lblNumRays", "Number: 4",
         [](auto& e) { return e.NumRays(); }, 4},
        {2, "hsbNumRays", part(QStyle::SC_ScrollBarSubLine), "lblNumRays", "Number: 2",
         [](auto& e) { return e.NumRays(); }, 2},
        {3, "hsbColorScale", part(QStyle::SC_ScrollBarAddPage), "lblColorScale", "Color Shift: 100",
         [](auto& e) { return e.ColorShift(); }, 100},
        {1, "hsbXMaxPercent", part(QStyle::SC_ScrollBarSubPage), "lblXMaxPercent", "Size: 70",
         [](auto& e) { return e.XMaxPercent(); }, 70},
        {2, "hsbNumRays", key(Qt::Key_Right), "lblNumRays", "Number: 4", [](auto& e) { return e.NumRays(); }, 4},
        {2, "hsbNumRays", key(Qt::Key_Left), "lblNumRays", "Number: 2", [](auto& e) { return e.NumRays(); }, 2},
        {2, "hsbEraseRate", key(Qt::Key_PageDown), "lblEraseRate", "Length: 10",
         [](auto& e) { return e.TrailLength(); }, 10},
        {1, "hsbYMaxPercent", key(Qt::Key_PageUp), "lblYMaxPercent", "Size: 95",
         [](auto& e) { return e.YMaxPercent(); }, 95},
        {1, "hsbRotation", key(Qt::Key_Home), "lblRotation", "Rotation Speed: 0",
         [](auto& e) { return e.RotationSpeed(); }, 0},
        {2, "hsbNumRays", key(Qt::Key_End), "lblNumRays", "Number: 100", [](auto& e) { return e.NumRays(); }, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.bar) + " -> " + c.caption);
        modSubs::ResetProgram();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDialog* dialog = Open();
        ASSERT_NE(dialog, nullptr);
        ClickTab(dialog, c.tab);
        Engine().ResetMe(false);
        auto* bar = Find<QScrollBar>(dialog, c.bar);
        c.act(*this, bar);
        EXPECT_EQ(LabelText(dialog, c.label), c.caption);
        EXPECT_EQ(c.property(Engine()), c.value);
        EXPECT_EQ(double(bar->value()), c.value) << "the widget shows the portable value";
        EXPECT_TRUE(Engine().ResetMe());
        EXPECT_EQ(platform.store.saves, 0);
        EXPECT_FALSE(Ended());
    }
}

TEST_F(QtDialogTest, DraggingAThumbReportsOnlyAtRelease) {
    QDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    auto* bar = Find<QScrollBar>(dialog, "hsbXMaxPercent");
    const QRect thumb = PartOf(bar, QStyle::SC_ScrollBarSlider);
    const QRect groove = PartOf(bar, QStyle::SC_ScrollBarGroove);
    Engine().ResetMe(false);

    QPoint at = thumb.center();
    SendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
    ASSERT_TRUE(bar->isSliderDown());
    for (int x = at.x(); x > groove.left() + thumb.width(); x -= 7) {
        at = QPoint(x, at.y());
        SendMouse(bar, QEvent::MouseMove, at, Qt::LeftButton);
        EXPECT_EQ(LabelText(dialog, "lblXMaxPercent"), "Size: 75");
        EXPECT_EQ(Engine().XMaxPercent(), 75.0f);
    }
    EXPECT_FALSE(Engine().ResetMe()) << "nothing ran during the drag";
    EXPECT_LT(bar->sliderPosition(), 40) << "the thumb followed the pointer";
    const int released = bar->sliderPosition();
    SendMouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
    EXPECT_FALSE(bar->isSliderDown());
    EXPECT_EQ(LabelText(dialog, "lblXMaxPercent"), "Size: " + std::to_string(released));
    EXPECT_EQ(Engine().XMaxPercent(), float(released));
    EXPECT_EQ(bar->value(), released);
    EXPECT_TRUE(Engine().ResetMe());
}

// --- Check boxes, options, tabs ------------------------------------------------------

TEST_F(QtDialogTest, CheckBoxesSetTheirEffect) {
    struct Case {
        const char* box;
        std::function<bool(const clsGyrobloom&)> property;
        bool initially;
    };
    const Case cases[] = {{"chkMirror", [](auto& e) { return e.Mirror(); }, false},
                          {"chkPulseInOut", [](auto& e) { return e.PulseInOut(); }, false},
                          {"chkPulseRotation", [](auto& e) { return e.PulseRotation(); }, false},
                          {"chkRandomize", [](auto& e) { return e.Random(); }, true}};
    QDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickTab(dialog, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        auto* box = Find<QCheckBox>(dialog, c.box);
        Engine().ResetMe(false);
        ClickCheckBox(box);
        EXPECT_EQ(c.property(Engine()), !c.initially);
        EXPECT_EQ(box->isChecked(), !c.initially);
        EXPECT_TRUE(Engine().ResetMe());
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_EQ(c.property(Engine()), c.initially);
        EXPECT_EQ(box->isChecked(), c.initially);
    }
}

TEST_F(QtDialogTest, StyleOptionsFollowTheRayWidth) {
    Store("Ray Width", "1");
    Store("Draw Style", "1");
    QDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickTab(dialog, 2);
    auto option = [&](int i) { return Find<QRadioButton>(dialog, ("optDrawStyle(" + std::to_string(i) + ")").c_str()); };
    EXPECT_EQ(LabelText(dialog, "lblRayWidth"), "Width");
    ASSERT_TRUE(option(1)->isChecked());
    ASSERT_TRUE(option(1)->isEnabled());

    ClickCheckBox(option(3));
    EXPECT_EQ(Engine().DrawStyle(), 3);
    EXPECT_TRUE(option(3)->isChecked());
    EXPECT_FALSE(option(1)->isChecked()) << "the group clears the others";
    ClickCheckBox(option(3));
    EXPECT_TRUE(option(3)->isChecked()) << "clicking the selected option keeps it";

    ClickPart(Find<QScrollBar>(dialog, "hsbRayWidth"), QStyle::SC_ScrollBarAddLine);
    EXPECT_EQ(LabelText(dialog, "lblRayWidth"), "Width: 2");
    EXPECT_EQ(Engine().DrawStyle(), 0);
    EXPECT_TRUE(option(0)->isChecked());
    EXPECT_FALSE(option(3)->isChecked());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(option(i)->isEnabled()) << i;
}

TEST_F(QtDialogTest, TabsTurnThePages) {
    QDialog* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const std::pair<int, const char*> turns[] = {{2, "fraRays"}, {3, "fraEffects"}, {1, "fraShapes"}, {2, "fraRays"}};
    for (auto [tab, page] : turns) {
        ClickTab(dialog, tab);
        EXPECT_EQ(FrontPage(dialog), page);
        EXPECT_EQ(Find<QTabBar>(dialog, "TabStrip1")->currentIndex(), tab - 1);
    }
}

// --- Buttons and the close box ---------------------------------------------------------

TEST_F(QtDialogTest, ButtonsStoreAndEndAsTheyShould) {
    struct Case {
        const char* name;
        std::function<void(QtDialogTest&, QDialog*)> act;
        bool ends;
        bool stores;
    };
    auto click = [](const char* button) {
        return [button](QtDialogTest& t, QDialog* d) { QTest::mouseClick(t.Find<QPushButton>(d, button), Qt::LeftButton); };
    };
    const Case cases[] = {
        {"OK", click("Command1"), true, true},
        {"Cancel", click("Command2"), true, false},
        {"Apply", click("Command3"), false, true},
        {"close box", [](QtDialogTest&, QDialog* d) { d->close(); }, true, false},
        {"Enter", [](QtDialogTest&, QDialog* d) { QTest::keyClick(d, Qt::Key_Return); }, true, true},
        {"Esc", [](QtDialogTest&, QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modSubs::ResetProgram();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.store.values.clear();
        platform.store.saves = 0;
        QDialog* dialog = Open();
        ASSERT_NE(dialog, nullptr);
        ClickTab(dialog, 2);
        ClickPart(Find<QScrollBar>(dialog, "hsbNumRays"), QStyle::SC_ScrollBarAddLine);

        c.act(*this, dialog);
        const std::optional<int> ended = Ended();
        EXPECT_EQ(ended.has_value(), c.ends);
        if (ended) {
            EXPECT_EQ(*ended, 0);
            EXPECT_FALSE(modSubs::frmPreviewInstance()->IsLoaded()) << "ShutDown unloaded the preview";
        } else {
            EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open";
        }
        EXPECT_EQ(platform.store.saves, c.stores ? 14 : 0);
        if (c.stores) {
            EXPECT_EQ(Stored("Number of Rays"), "4");
        }
        EXPECT_TRUE(platform.messages.empty());
    }
}

// --- The guard between the widgets and the program -------------------------------------------

// A one-scroll-bar dialog whose handler counts, and raises Overflow at 50.
class CountingDialog final : public vb::Form {
public:
    CountingDialog() : vb::Form(Spec()) {
        bar.Change = [this] {
            seen.push_back(bar.Value());
            if (bar.Value() == 50) vb::Raise(vb::kErrOverflow);
        };
    }
    vb::DialogControls* Controls() override { return &controls; }

    static vb::WindowSpec Spec() {
        vb::WindowSpec spec;
        spec.caption = "Counting";
        spec.dialog = true;
        return spec;
    }
    static vb::DialogLayout Layout() {
        vb::ControlLayout c;
        c.name = "hsbCount";
        c.kind = vb::ControlKind::HScrollBar;
        c.rect = {120, 120, 3000, 255};
        c.min = 0;
        c.max = 100;
        c.value = 10;
        c.smallChange = 1;
        c.largeChange = 5;
        return vb::DialogLayout{3300, 600, {c}};
    }

    vb::DialogControls controls{Layout()};
    vb::ScrollBar& bar = controls.Get<vb::ScrollBar>("hsbCount");
    std::vector<vb::Integer> seen;
};

TEST_F(QtDialogTest, OneChangePerActionAndUnhandledErrorsGetTheStandardReport) {
    CountingDialog form;
    form.Show();
    QDialog* dialog = VisibleDialog("Counting");
    ASSERT_NE(dialog, nullptr);
    auto* bar = Find<QScrollBar>(dialog, "hsbCount");

    ClickPart(bar, QStyle::SC_ScrollBarAddLine);
    ClickPart(bar, QStyle::SC_ScrollBarAddPage);
    QTest::keyClick(bar, Qt::Key_Left);
    QWheelEvent down(QPointF(20, 8), bar->mapToGlobal(QPointF(20, 8)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &down);
    EXPECT_EQ(form.seen, (std::vector<vb::Integer>{11, 16, 15, 16}));

    // A drag over many positions: one change, at the release.
    form.seen.clear();
    QPoint at = PartOf(bar, QStyle::SC_ScrollBarSlider).center();
    SendMouse(bar, QEvent::MouseButtonPress, at, Qt::LeftButton);
    for (int i = 0; i < 20; ++i) {
        at += QPoint(5, 0);
        SendMouse(bar, QEvent::MouseMove, at, Qt::LeftButton);
    }
    EXPECT_TRUE(form.seen.empty());
    SendMouse(bar, QEvent::MouseButtonRelease, at, Qt::NoButton);
    ASSERT_EQ(form.seen.size(), 1u);
    EXPECT_EQ(form.seen[0], bar->value());
    EXPECT_GT(form.seen[0], 16);
    EXPECT_FALSE(Ended());

    // An error in a handler ends the run with the standard report, and Qt
    // carries on untouched.
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Home);
    form.seen.clear();
    for (int i = 0; i < 10; ++i) ClickPart(bar, QStyle::SC_ScrollBarAddPage);
    EXPECT_EQ(form.seen.back(), 50);
    EXPECT_EQ(Ended(), 1);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.front(), "Run-time error '6':\n\nOverflow");
}

}  // namespace
