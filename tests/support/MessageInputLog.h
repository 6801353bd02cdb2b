#pragma once
// What a message box that holds nothing reported to the program.

#include <utility>
#include <vector>

#include "runtime/Platform.h"

struct MessageInputLog final : vb::MessageInput {
    int keys = 0, clicks = 0;
    std::vector<std::pair<double, double>> moves;  // desk pixels
    void OnMessageKey() override { ++keys; }
    void OnMessageClick() override { ++clicks; }
    void OnMessageMouseMove(double x, double y) override { moves.emplace_back(x, y); }
};
