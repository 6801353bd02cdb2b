#pragma once
// How a click on a Qt button, check box or option button reaches its portable
// control. The control decides what the click means (a check box toggles, an
// option selects itself and clears its group); the widget then shows what
// the control holds, not what Qt would have made of the click.

#include <memory>

class QObject;
class QWidget;

namespace vb {

class CheckBox;
class CommandButton;
class OptionButton;
class QtDialogGuard;

// Each makes the widget in `parent`, bound through `guard`; the connections
// live as long as `links`.
QWidget* BindQtCommandButton(CommandButton& control, QWidget* parent, const std::shared_ptr<QtDialogGuard>& guard,
                             QObject& links);
QWidget* BindQtCheckBox(CheckBox& control, QWidget* parent, const std::shared_ptr<QtDialogGuard>& guard,
                        QObject& links);
QWidget* BindQtOptionButton(OptionButton& control, QWidget* parent, const std::shared_ptr<QtDialogGuard>& guard,
                            QObject& links);

}  // namespace vb
