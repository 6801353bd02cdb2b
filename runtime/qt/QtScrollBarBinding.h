#pragma once
// How the user's use of a Qt scroll bar reaches the portable ScrollBar: arrow
// and trough clicks, keys and wheel notches become the control's scroll
// actions; a drag of the thumb is reported as it moves and once at its
// release, where the portable control decides on its one Change.

#include <memory>

class QObject;
class QString;
class QScrollBar;
class QStyle;
class QWidget;

namespace vb {

class QtDialogGuard;
class ScrollBar;

// A style in which a left click in the trough pages towards the pointer, as
// the portable ScrollBar expects (some styles would jump there). It wraps a
// fresh copy of `styleName`; the caller owns it and must keep it alive as
// long as the scroll bars using it.
QStyle* CreateTroughPagesStyle(const QString& styleName);

// A horizontal scroll bar in `parent` bound to `control` through `guard`;
// its connections live as long as `links`.
QScrollBar* BindQtScrollBar(ScrollBar& control, QWidget* parent, QStyle* troughStyle,
                            const std::shared_ptr<QtDialogGuard>& guard, QObject& links);

}  // namespace vb
