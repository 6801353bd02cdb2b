#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/SettingsText.h"
#include "engine/clsGyrobloom.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

using Saved = std::vector<std::pair<std::string, std::string>>;

class SettingsTest : public ::testing::Test {
protected:
    void Store(const std::string& key, const std::string& text) {
        platform.store.values[{"Gyrobloom", "Settings", key}] = text;
    }

    vb::HeadlessPlatform platform;
    clsGyrobloom engine;
};

const Saved kDefaultTexts{{"Horizontal Size", "75"}, {"Horizontal Speed", "100"}, {"Vertical Size", "100"},
                          {"Vertical Speed", "100"}, {"Line Length", "5"},        {"Number of Rays", "3"},
                          {"Rotation", "100"},       {"Mirror", "False"},         {"Random", "True"},
                          {"Pulse Rotation", "False"}, {"Pulse In/Out", "False"}, {"Ray Width", "25"},
                          {"Draw Style", "0"},       {"Color Scale", "95"}};

TEST_F(SettingsTest, EmptyStoreGivesTheDefaultsAndSavingWritesTheirTextsInOrder) {
    engine.RetrieveSettings();
    EXPECT_EQ(engine.XMaxPercent(), 75);
    EXPECT_EQ(engine.XIncrPercent(), 100);
    EXPECT_EQ(engine.YMaxPercent(), 100);
    EXPECT_EQ(engine.YIncrPercent(), 100);
    EXPECT_EQ(engine.TrailLength(), 5);
    EXPECT_EQ(engine.NumRays(), 3);
    EXPECT_EQ(engine.RotationSpeed(), 100);
    EXPECT_FALSE(engine.Mirror());
    EXPECT_TRUE(engine.Random());
    EXPECT_FALSE(engine.PulseRotation());
    EXPECT_FALSE(engine.PulseInOut());
    EXPECT_EQ(engine.RayWidth(), 25);
    EXPECT_EQ(engine.DrawStyle(), 0);
    EXPECT_EQ(engine.ColorShift(), 95);
    EXPECT_TRUE(platform.store.saved.empty()) << "loading never writes";

    engine.SaveSettings();
    EXPECT_EQ(platform.store.saved, kDefaultTexts);
}

TEST_F(SettingsTest, ReadingConvertsNumbersAndTruthTexts) {
    struct Row {
        const char* key;
        const char* text;
        std::function<double(const clsGyrobloom&)> read;
        double expected;
    };
    auto maxX = [](const clsGyrobloom& e) { return double(e.XMaxPercent()); };
    auto trail = [](const clsGyrobloom& e) { return double(e.TrailLength()); };
    auto mirror = [](const clsGyrobloom& e) { return e.Mirror() ? 1.0 : 0.0; };
    auto random = [](const clsGyrobloom& e) { return e.Random() ? 1.0 : 0.0; };
    auto shift = [](const clsGyrobloom& e) { return double(e.ColorShift()); };
    const Row rows[] = {
        {"Horizontal Size", "75.4", maxX, 75},  {"Horizontal Size", " 80 ", maxX, 80},
        {"Horizontal Size", "5E1", maxX, 50},   {"Horizontal Size", "-3", maxX, -3},
        {"Line Length", "5.5", trail, 6},       {"Line Length", "4.5", trail, 4},
        {"Line Length", "0", trail, 0},         {"Mirror", "1", mirror, 1},
        {"Mirror", "-1", mirror, 1},            {"Mirror", "True", mirror, 1},
        {"Mirror", "true", mirror, 1},          {"Mirror", "0", mirror, 0},
        {"Mirror", "False", mirror, 0},         {"Random", "0", random, 0},
        {"Random", "2.5", random, 1},           {"Color Scale", "95.5", shift, 95.5},
        {"Color Scale", "-7", shift, -7},
    };
    for (const Row& row : rows) {
        platform.store.values.clear();
        Store(row.key, row.text);
        engine.RetrieveSettings();
        EXPECT_EQ(row.read(engine), row.expected) << row.key << " = \"" << row.text << "\"";
    }
}

TEST_F(SettingsTest, FractionIsHeldScaledAndWrittenBackAsAWholeNumber) {
    Store("Horizontal Size", "75.4");
    engine.RetrieveSettings();
    engine.SaveSettings();
    EXPECT_EQ(platform.store.saved[0], std::make_pair(std::string("Horizontal Size"), std::string("75")));
}

TEST_F(SettingsTest, ColorScaleKeepsItsFractionWithTheLocaleSeparator) {
    for (char separator : {'.', ','}) {
        platform.decimalSeparator = separator;
        platform.store.values.clear();
        platform.store.saved.clear();
        Store("Color Scale", std::string("95") + separator + "5");
        engine.RetrieveSettings();
        EXPECT_EQ(engine.ColorShift(), 95.5f);
        engine.SaveSettings();
        EXPECT_EQ(platform.store.saved.back().second, std::string("95") + separator + "5");
    }
}

TEST_F(SettingsTest, DecimalCommaLocaleStillReadsAPoint) {
    platform.decimalSeparator = ',';
    Store("Line Length", "4,5");
    Store("Color Scale", "12.25");
    engine.RetrieveSettings();
    EXPECT_EQ(engine.TrailLength(), 4);
    EXPECT_EQ(engine.ColorShift(), 12.25f);
}

// A damaged value loads as its key's default, as if absent, while every other
// key loads what is stored; the store itself is left alone.
TEST_F(SettingsTest, EveryDamagedValueFallsBackToItsDefaultWhileTheOthersLoad) {
    const Saved good{{"Horizontal Size", "50"}, {"Horizontal Speed", "40"}, {"Vertical Size", "60"},
                     {"Vertical Speed", "30"},  {"Line Length", "9"},       {"Number of Rays", "7"},
                     {"Rotation", "20"},        {"Mirror", "True"},         {"Random", "False"},
                     {"Pulse Rotation", "True"}, {"Pulse In/Out", "True"},  {"Ray Width", "3"},
                     {"Draw Style", "2"},       {"Color Scale", "50"}};
    const std::pair<const char*, const char*> damaged[] = {
        {"Horizontal Size", "abc"}, {"Horizontal Size", "40000"}, {"Horizontal Speed", "1e30"},
        {"Vertical Size", ""},      {"Vertical Speed", "-40000"}, {"Line Length", "-1"},
        {"Line Length", "x5"},      {"Number of Rays", "40000"},  {"Number of Rays", "0"},
        {"Number of Rays", "-2"},   {"Rotation", "99999"},        {"Mirror", "yes"},
        {"Random", "maybe"},        {"Pulse Rotation", "1,2,3"},  {"Pulse In/Out", "--1"},
        {"Ray Width", "-5"},        {"Ray Width", "32768"},       {"Draw Style", "solid"},
        {"Color Scale", "0"},       {"Color Scale", "0.4"},       {"Color Scale", "nan"},
        {"Color Scale", "1e40"},    {"Horizontal Size", "150"},   {"Vertical Speed", "3000"},
        {"Color Scale", "40000"},   {"Rotation", "40000"},
    };
    for (auto [badKey, badText] : damaged) {
        platform.store.values.clear();
        for (const auto& [key, text] : good) Store(key, text);
        Store(badKey, badText);
        platform.store.saved.clear();
        clsGyrobloom fresh;
        fresh.RetrieveSettings();
        EXPECT_TRUE(platform.store.saved.empty());
        EXPECT_EQ((platform.store.values[{"Gyrobloom", "Settings", badKey}]), badText) << "the store keeps the text";
        fresh.SaveSettings();
        for (size_t i = 0; i < good.size(); ++i) {
            const std::string& key = good[i].first;
            const std::string& expected = key == badKey ? kDefaultTexts[i].second : good[i].second;
            EXPECT_EQ(platform.store.saved[i].second, expected) << badKey << " = \"" << badText << "\", key " << key;
        }
    }
}

TEST(SettingsText, SingleTextHasAtMostSevenSignificantDigits) {
    struct Row {
        float value;
        const char* text;
    } rows[] = {{75, "75"},         {95.5f, "95.5"},           {0.1f, "0.1"},         {-2.25f, "-2.25"},
                {1234567, "1234567"}, {12345678, "1.234568E+07"}, {0.33f, "0.33"},      {1e-6f, "1E-06"},
                {0, "0"},            {100, "100"},             {3.14159274f, "3.141593"}};
    for (const Row& row : rows) EXPECT_EQ(SettingsText::SingleText(row.value, '.'), row.text) << row.value;
    EXPECT_EQ(SettingsText::SingleText(95.5f, ','), "95,5");
}

TEST(SettingsText, ValuesOfSevenDigitsOrFewerReadBackExactly) {
    for (float value : {75.0f, 95.5f, 0.1f, -2.25f, 1234567.0f, 1e-6f, 0.33f})
        for (char separator : {'.', ','})
            EXPECT_EQ(SettingsText::ToSingle(SettingsText::SingleText(value, separator), separator), value);
}

TEST_F(SettingsTest, RaysTimesTrailBeyondWhatMemoryHoldsLoadsTheDefaultRayCount) {
    Store("Line Length", "2000");
    Store("Number of Rays", "2000");
    engine.RetrieveSettings();
    EXPECT_EQ(engine.TrailLength(), 2000);
    EXPECT_EQ(engine.NumRays(), 3);
}

}  // namespace
