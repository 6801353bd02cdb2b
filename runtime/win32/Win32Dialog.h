#pragma once
// A dialog window of the Win32 backend: the native controls of a dialog's
// layout (DialogLayout), each bound to its portable control.
//
// Implemented:
//  - a fixed-size window with the caption of its WindowSpec and a close box,
//    owned by the hidden application window, centred on the start monitor;
//    its client area and every control sized from the layout's twips by the
//    monitor's DPI, in the dialog font at that DPI (sharp at 100%, 150% and
//    200%): 8 points, or less where the system's face would cut a caption
//    (CaptionFit);
//  - tab control, frames (group boxes; the tab strip's pages shown one at a
//    time, on the tab strip's own body, themed or classic), labels,
//    horizontal scroll bars, check boxes, option buttons and command buttons
//    (Win32DialogBuilder, with the bindings it uses);
//  - keyboard: Tab and Shift+Tab move between the controls, Return presses
//    the default button, Esc does nothing (no button answers IDCANCEL);
//  - the close box asks the program (Form), which decides.
// Not implemented: mnemonics in captions; following a move to a monitor of
// another DPI (the dialog keeps the DPI it opened with); a theme changed
// while the dialog is open (the pages keep the tab body they were built
// with).

#include "runtime/win32/Win32Api.h"

#include <memory>

#include "runtime/WindowBackend.h"

namespace vb {

std::unique_ptr<WindowBackend> CreateWin32DialogWindow(const WindowSpec& spec, WindowEvents& events,
                                                       const UnitScale& scale);

// The dialog window that holds this window (or is it); null for any other.
HWND Win32DialogOf(HWND hwnd);

}  // namespace vb
