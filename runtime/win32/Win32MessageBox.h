#pragma once
// MsgBox on Windows: MessageBox with an OK button, captioned with the
// application title, owned by the program's active window and kept above
// the topmost saver window (or it would open hidden behind it). The text also
// goes to OutputDebugString, where a debugger (or Wine's log) shows it.

#include <string>

namespace vb {

void ShowWin32MessageBox(const std::string& text);

}  // namespace vb
