#pragma once
// The program's message boxes on Qt, captioned with the application title,
// with an OK button only: the modal one MsgBox shows, and one that holds
// nothing (ShowMessage), whose input goes to the program instead.

#include <memory>
#include <string>

#include "runtime/Platform.h"

namespace vb {

// Shows the text and returns once the user has dismissed the box.
void ShowQtMessageBox(const std::string& text);

// Puts the box up, above every window, and returns at once. While it stands,
// a key pressed in it, a button pressed over it and the pointer's moves over
// it (in desk pixels) go to input; the program's other windows keep their
// own input. It closes when the returned object goes.
std::unique_ptr<MessageWindow> ShowQtMessageWindow(const std::string& text, MessageInput& input);

}  // namespace vb
