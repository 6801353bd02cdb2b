#pragma once
// MsgBox on Windows: MessageBox with an OK button, captioned with the
// application title, owned by the program's active window and kept above
// the topmost saver window (or it would open hidden behind it). The text also
// goes to OutputDebugString, where a debugger (or Wine's log) shows it.
//
// ShowMessage's box is the same MessageBox, run on a thread of its own so
// that it holds none of the program's windows. A hook on that thread takes
// the keys and button presses the box gets (they do not answer it) and sees
// the pointer's moves over it; each reaches the program on the user-interface
// thread, through a message-only window, as MessageInput calls.

#include <memory>
#include <string>

#include "runtime/Platform.h"

namespace vb {

void ShowWin32MessageBox(const std::string& text);

std::unique_ptr<MessageWindow> ShowWin32MessageWindow(const std::string& text, MessageInput& input);

}  // namespace vb
