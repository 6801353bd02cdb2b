#pragma once
// What the headless backend "shows" of one dialog control: the state a user
// would see on the screen, recorded for tests to read.

#include <string>

#include "runtime/controls/ControlView.h"

namespace vb {

// The front-to-back order of a dialog's controls, shared by its views.
struct HeadlessStacking {
    int front = 0;  // the place of the frontmost control so far
    int back = 0;   // the place of the backmost control so far
};

class HeadlessDialogView final : public ControlView {
public:
    explicit HeadlessDialogView(HeadlessStacking& stacking) : mStacking(stacking) { place = ++mStacking.front; }

    void ShowCaption(const std::string& text) override { caption = text; }
    void ShowEnabled(bool value) override { enabled = value; }
    void ShowValue(Integer shown) override { value = shown; }
    void ShowZOrder(Integer position) override { place = position == 1 ? --mStacking.back : ++mStacking.front; }

    std::string caption;
    bool enabled = true;
    Integer value = 0;
    int place = 0;  // higher is further in front; later controls start in front

private:
    HeadlessStacking& mStacking;
};

}  // namespace vb
