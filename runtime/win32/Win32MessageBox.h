#pragma once
// MsgBox on Windows: MessageBox with an OK button, captioned with the
// application title, owned by the program's active window and kept above
// the topmost saver window (or it would open hidden behind it).

#include <string>

namespace vb {

void ShowWin32MessageBox(const std::string& text);

}  // namespace vb
