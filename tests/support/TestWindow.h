#pragma once
// A drawing window for engine tests: bound like the saver window, it tells
// the engine a fixed size when it loads, and exposes its recording surface.

#include <memory>
#include <string>
#include <vector>

#include "engine/clsGyrobloom.h"
#include "runtime/headless/HeadlessPlatform.h"
#include "tests/support/ErrorNumber.h"

class TestWindow final : public vb::Form, public GyrobloomHost {
public:
    TestWindow(vb::HeadlessPlatform& platform, vb::Integer width, vb::Integer height)
        : vb::Form(vb::WindowSpec{}), mPlatform(platform), mWidth(width), mHeight(height) {}

    void GyrobloomClass(const std::shared_ptr<clsGyrobloom>& engine) override {
        mEngine = engine;
        log.push_back("GyrobloomClass");
    }

    vb::HeadlessWindow& Surface() const {
        // The newest live window is this one in every test that uses it.
        return *mPlatform.windows.back();
    }

    std::vector<std::string> log;
    bool engineSetAtLoad = false;

protected:
    void Form_Load() override {
        log.push_back("Form_Load");
        auto engine = mEngine.lock();
        engineSetAtLoad = engine != nullptr;
        if (!engine) return;
        engine->ScreenScale(1.0f);
        engine->ScreenWidth(mWidth);
        engine->ScreenHeight(mHeight);
        engine->CenterX(vb::CInt(mWidth / 2.0));
        engine->CenterY(vb::CInt(mHeight / 2.0));
    }

private:
    vb::HeadlessPlatform& mPlatform;
    vb::Integer mWidth, mHeight;
    std::weak_ptr<clsGyrobloom> mEngine;
};

struct EngineTestAccess {
    static void DrawRaySegment(clsGyrobloom& engine, const RayTrail& ray, vb::Integer slot, vb::Long color,
                               vb::Integer x, vb::Integer y, vb::Integer width) {
        engine.DrawRaySegment(ray, slot, color, x, y, width);
    }
};
