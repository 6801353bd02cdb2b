#pragma once
// The program's message box on Qt: modal, captioned with the application
// title, with an OK button only.

#include <string>

namespace vb {

// Shows the text and returns once the user has dismissed the box.
void ShowQtMessageBox(const std::string& text);

}  // namespace vb
