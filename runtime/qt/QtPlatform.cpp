#include "runtime/qt/QtPlatform.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTimer>

#include <cassert>
#include <cstdio>
#include <cstdlib>

#include "runtime/qt/QtDrawingWindow.h"
#include "runtime/qt/QtMessageBox.h"
#include "runtime/qt/QtDialog.h"

namespace vb {
namespace {

QScreen* StartScreen() { return QGuiApplication::primaryScreen(); }

}  // namespace

PixelRect RectOfScreen(const QScreen& screen) {
    const QRect g = screen.geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

QScreen* ScreenForMonitor(const PixelRect& monitor) {
    if (monitor.width <= 0) return StartScreen();
    const QRect wanted(monitor.left, monitor.top, monitor.width, monitor.height);
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->geometry() == wanted) return screen;
    if (QScreen* screen = QGuiApplication::screenAt(wanted.center())) return screen;
    return StartScreen();
}

namespace {

double RefreshRate() {
    QScreen* screen = StartScreen();
    return screen ? screen->refreshRate() : 0;
}

bool UsesFrameRequests(QtPlatform::Options::Frames frames) {
    using Frames = QtPlatform::Options::Frames;
    if (frames != Frames::kAuto) return frames == Frames::kRequest;
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

QtPlatform::QtPlatform(QApplication& app, std::unique_ptr<SettingsStore> settings, Options options)
    : mApp(app), mSettings(std::move(settings)),
      mPacer(options.paced, RefreshRate(), UsesFrameRequests(options.frames)),
      mNativeSurfaces(std::move(options.nativeSurfaces)), mFullScreenWindows(std::move(options.fullScreenWindows)) {
    assert(mSettings && "the Qt platform needs a settings store");
    // The run ends only through End, never because a message box or the
    // dialog was the last window to close.
    mApp.setQuitOnLastWindowClosed(false);
    mSinceStart.start();
    WatchMonitors();
}

void QtPlatform::WatchMonitors() {
    mMonitorWatch = std::make_unique<QObject>();
    QObject* context = mMonitorWatch.get();
    // Told after the event that changed them, once Qt's own list is settled
    // (a removed screen is still listed while its signal runs).
    auto changed = [this, context] {
        QTimer::singleShot(0, context, [this] { ForwardToProgram([&] { NotifyMonitorsChanged(); }); });
    };
    auto watch = [context, changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, context, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    QObject::connect(&mApp, &QGuiApplication::screenAdded, context, [watch, changed](QScreen* screen) {
        watch(screen);
        changed();
    });
    QObject::connect(&mApp, &QGuiApplication::screenRemoved, context, changed);
    QObject::connect(&mApp, &QGuiApplication::primaryScreenChanged, context, changed);
}

std::vector<PixelRect> QtPlatform::Monitors() const {
    std::vector<PixelRect> monitors;
    QScreen* primary = StartScreen();
    if (primary) monitors.push_back(RectOfScreen(*primary));
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary) monitors.push_back(RectOfScreen(*screen));
    return monitors;
}

QtPlatform::QtPlatform(QApplication& app, std::unique_ptr<SettingsStore> settings)
    : QtPlatform(app, std::move(settings), Options{}) {}

QtPlatform::~QtPlatform() = default;

std::string QtPlatform::JoinArguments(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' ')).toStdString();
}

std::string QtPlatform::Command() const { return JoinArguments(mApp.arguments()); }

bool QtPlatform::PrevInstance() { return mInstanceLock.AnotherInstanceRuns(); }

void QtPlatform::DoEvents() {
    ++mSteps;
    mPacer.PauseDrawing();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    mPacer.EndOfStep();
}

void QtPlatform::End(int exitCode) {
    if (qEnvironmentVariableIsSet("GYROBLOOM_STATS")) {
        std::fprintf(stderr, "gyrobloom: %ld steps, %ld frames in %.3f s\n", mSteps, mPacer.FramesShown(),
                     double(mSinceStart.nsecsElapsed()) / 1e9);
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void QtPlatform::MsgBox(const std::string& text) {
    mPacer.PauseDrawing();
    ShowQtMessageBox(text);
}

std::unique_ptr<MessageWindow> QtPlatform::ShowMessage(const std::string& text, MessageInput& input) {
    mPacer.PauseDrawing();
    return ShowQtMessageWindow(text, input);
}

SettingsStore& QtPlatform::Settings() { return *mSettings; }

char QtPlatform::DecimalSeparator() const {
    const QString point = QLocale::system().decimalPoint();
    // Settings text is ASCII; a locale whose separator is not (Arabic U+066B)
    // reads and writes numbers with '.'.
    if (point.isEmpty() || point.front().unicode() >= 0x80) return '.';
    return char(point.front().unicode());
}

ScreenMetrics QtPlatform::Screen() const {
    ScreenMetrics metrics;
    if (QScreen* screen = StartScreen()) {
        const QRect geometry = screen->geometry();
        metrics.widthPx = geometry.width();
        metrics.heightPx = geometry.height();
        if (screen->logicalDotsPerInch() > 0) metrics.twipsPerPixel = kTwipsPerInch / screen->logicalDotsPerInch();
        metrics.devicePixelRatio = screen->devicePixelRatio();
    }
    return metrics;
}

std::unique_ptr<WindowBackend> QtPlatform::CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                        const UnitScale& scale) {
    if (spec.dialog) return CreateDialogWindow(spec, events, scale);
    if (spec.fullScreen && mFullScreenWindows)
        if (auto own = mFullScreenWindows(spec, events, scale, ScreenForMonitor(spec.monitor), mPacer)) return own;
    auto window = std::make_unique<QtDrawingWindow>(spec, events, scale, ScreenForMonitor(spec.monitor), mNativeSurfaces);
    mPacer.Track(window->Widget());
    return window;
}

std::unique_ptr<WindowBackend> QtPlatform::CreateDialogWindow(const WindowSpec& spec, WindowEvents& events,
                                                              const UnitScale& scale) {
    return CreateQtDialogWindow(spec, events, scale);
}

}  // namespace vb
