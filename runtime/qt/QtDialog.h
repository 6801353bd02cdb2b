#pragma once
// A dialog window of the Qt backend: the native controls of a dialog's
// layout (DialogLayout), each bound to its portable control.
//
// Implemented:
//  - one widget per control, placed by the layout's twips scaled by the
//    screen's logical DPI (twips / 1440 * DPI), so the dialog is sharp and of
//    the right size at 100%, 150% and 200% (Qt applies the device pixel
//    ratio); a fixed-size window with the caption of its WindowSpec and a
//    close box, no minimise or maximise button;
//  - tab strip: a QTabBar over a tab-widget frame; the pages are frames
//    stacked on it, turned by raise();
//  - frame: a QGroupBox when captioned or inside another frame, a borderless
//    opaque QFrame for an uncaptioned page;
//  - scroll bar: QScrollBar with tracking off, normal key direction, focus by
//    Tab or click, no context menu; arrow and trough clicks (a left click in
//    the trough always pages), thumb drags, keys and wheel notches go to the
//    portable ScrollBar, which decides the new position;
//  - check box, option button (Qt's own exclusivity off: the portable group
//    decides), label, command button (the layout's default button is the
//    QPushButton default; Enter presses it, Esc does nothing);
//  - the close box asks the program (Form) to close; Qt never closes or
//    hides the dialog by itself.
// Not implemented: mnemonics in captions, the program's icon (the
// application's window icon applies).

#include <exception>
#include <functional>
#include <memory>

#include "runtime/WindowBackend.h"

namespace vb {

// Where an exception other than the program's run-time errors goes when a
// forward from a widget into the program throws one. The real program needs
// none: its End leaves the process. Tests whose End throws pass one, so that
// the exception reaches them once Qt has returned instead of unwinding
// through Qt. Without one such an exception terminates the process.
using QtDialogEscape = std::function<void(std::exception_ptr)>;

// A dialog window for the form whose events.Controls() holds the dialog's
// controls; the layout's twips become pixels by scale.TwipsPerPixel().
std::unique_ptr<WindowBackend> CreateQtDialogWindow(const WindowSpec& spec, WindowEvents& events,
                                                    const UnitScale& scale, QtDialogEscape escape = {});

}  // namespace vb
