#pragma once
// Makes the native widgets of a dialog from its layout data, each bound to its
// portable control: a view (ControlView) shows the control's state in the
// widget, and the widget's signals and events go to the control's User...
// methods (QtButtonBinding, QtScrollBarBinding, QtTabStripBinding).

#include <memory>

class QObject;
class QWidget;

namespace vb {

class DialogControls;
class QtDialogGuard;

// Creates a widget for every control inside `dialog`, placed by the layout
// scaled by twipsPerPixel, attaches a view to each control and connects the
// widgets to the controls through `guard`. The connections and event filters
// live as long as `links`, which must not outlive `controls`.
void BuildQtDialogControls(QWidget& dialog, DialogControls& controls, double twipsPerPixel,
                           const std::shared_ptr<QtDialogGuard>& guard, QObject& links);

}  // namespace vb
