#pragma once
// The dialog font's size, decided once for every backend: the layout's
// controls were made for the classic 8-point dialog font, and the faces a
// system offers may run wider. The font shrinks in half-point steps until
// every caption fits its control, down to a floor below which text would be
// too small to read; at the floor the captions show as far as they fit.
//
// A backend measures, the rule decides: the backend says how many pixels a
// control's caption takes at a point size in its own fonts, including what
// the control's kind draws beside the text (a check box's or an option's
// indicator and the gap after it, a button's margins, a frame's caption
// inset).

#include <functional>
#include <string>
#include <vector>

#include "runtime/controls/DialogLayout.h"

namespace vb {

constexpr double kDialogPoints = 8;       // the size the layouts were made for
constexpr double kSmallestDialogPoints = 6.5;
constexpr double kDialogPointsStep = 0.5;

// Pixels the caption of `control` takes at `points`, everything its kind
// adds included.
using CaptionWidth = std::function<double(const ControlLayout& control, double points)>;

// True for the controls whose caption is text that must fit: labels, check
// boxes, option buttons, command buttons and frames, when they have one.
bool HasFittedCaption(const ControlLayout& control);

// The controls whose captions do not fit at `points`, as ControlKey names.
std::vector<std::string> CutCaptions(const DialogLayout& layout, double twipsPerPixel, const CaptionWidth& measure,
                                     double points);

// The largest size from kDialogPoints down to kSmallestDialogPoints, in
// kDialogPointsStep steps, at which every caption fits the pixel width its
// control's twips give at `twipsPerPixel`; kSmallestDialogPoints when none
// does.
double FitCaptionPoints(const DialogLayout& layout, double twipsPerPixel, const CaptionWidth& measure);

}  // namespace vb
