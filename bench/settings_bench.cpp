// Loading and saving the fourteen parameters, as the saver does at its start
// and the dialog at OK: through the in-memory store (the conversions alone)
// and through the INI file in a temporary folder (reading, parsing, and the
// atomic replace of the file on every save).
//
//   Settings/Load/Memory   Settings/Save/Memory
//   Settings/Load/Ini      Settings/Save/Ini

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/clsGyrobloom.h"
#include "runtime/headless/HeadlessPlatform.h"
#include "runtime/posix/IniSettingsStore.h"

namespace {

// A platform whose settings go to the store given; the rest is headless.
class StorePlatform final : public vb::Platform {
public:
    explicit StorePlatform(std::unique_ptr<vb::SettingsStore> store) : mStore(std::move(store)) {
        vb::InstallPlatform(this);
    }
    ~StorePlatform() override { vb::InstallPlatform(nullptr); }
    std::string Command() const override { return ""; }
    bool PrevInstance() override { return false; }
    void DoEvents() override {}
    [[noreturn]] void End(int exitCode) override { std::exit(exitCode); }
    void MsgBox(const std::string&) override {}
    vb::SettingsStore& Settings() override { return *mStore; }
    char DecimalSeparator() const override { return '.'; }
    std::uint32_t ClockSeed() override { return 1; }
    vb::ScreenMetrics Screen() const override { return {1920, 1080, 15.0, 1.0}; }
    std::unique_ptr<vb::WindowBackend> CreateWindow(const vb::WindowSpec&, vb::WindowEvents&,
                                                    const vb::UnitScale&) override {
        return nullptr;
    }

private:
    std::unique_ptr<vb::SettingsStore> mStore;
};

std::filesystem::path TempConfig() {
    char pattern[] = "/tmp/gyrobloom-bench.XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
}

void Run(benchmark::State& state, bool ini, bool save) {
    const std::filesystem::path dir = ini ? TempConfig() : std::filesystem::path();
    std::unique_ptr<vb::SettingsStore> store;
    if (ini)
        store = std::make_unique<vb::IniSettingsStore>(dir);
    else
        store = std::make_unique<vb::InMemorySettingsStore>();
    StorePlatform platform(std::move(store));
    clsGyrobloom engine;
    engine.SaveSettings();  // every key present, as after the first OK
    for (auto _ : state) {
        if (save)
            engine.SaveSettings();
        else
            engine.RetrieveSettings();
    }
    if (ini) std::filesystem::remove_all(dir);
}

void BM_LoadMemory(benchmark::State& state) { Run(state, false, false); }
void BM_SaveMemory(benchmark::State& state) { Run(state, false, true); }
void BM_LoadIni(benchmark::State& state) { Run(state, true, false); }
void BM_SaveIni(benchmark::State& state) { Run(state, true, true); }
BENCHMARK(BM_LoadMemory)->Name("Settings/Load/Memory");
BENCHMARK(BM_SaveMemory)->Name("Settings/Save/Memory");
BENCHMARK(BM_LoadIni)->Name("Settings/Load/Ini")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveIni)->Name("Settings/Save/Ini")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
