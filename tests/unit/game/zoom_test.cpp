#include "zoom.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "image_choice.h"
#include "window_settings.h"

namespace tukomi {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Zoom, StepsBetweenTheLayoutsOwnSizeAndTheLargestTheScreenHolds) {
    // 1920 x 1080 less a panel holds 2.8 times the layout.
    constexpr double kScreen = 2.8;
    const struct {
        const char* name;
        double zoom, in, out;
    } cases[] = {
        {"own size", 1.0, 1.25, 1.0},
        {"a step", 2.0, 2.5, 1.75},
        {"last step that fits", 2.5, kScreen, 2.0},
        {"filling the screen", kScreen, kScreen, 2.5},
        {"dragged between steps", 1.6, 1.75, 1.5},
        {"a hair above a step", 2.001, 2.5, 1.75},
        {"left larger on a larger screen", 4.0, kScreen, 3.5},
        {"not a number", kNaN, 1.25, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(zoomIn(c.zoom, kScreen), c.in);
        EXPECT_DOUBLE_EQ(zoomOut(c.zoom), c.out);
    }
    // The steps end somewhere, and a screen smaller than the layout still
    // gets the layout whole.
    EXPECT_DOUBLE_EQ(zoomIn(kMaxZoom, 100.0), kMaxZoom);
    EXPECT_DOUBLE_EQ(clampZoom(100.0, 100.0), kMaxZoom);
    EXPECT_DOUBLE_EQ(clampZoom(2.0, 0.7), kMinZoom);
    EXPECT_DOUBLE_EQ(zoomIn(1.0, 0.7), kMinZoom);
}

TEST(WindowSettingsFile, KeepsSizeAndModeAndIgnoresWhatIsNotOurs) {
    const struct {
        const char* name;
        const char* content;
        WindowSettings expected;
    } cases[] = {
        {"ours", "[tukomi-window]\nzoom=2.5\nmode=fullscreen\n", {2.5, WindowMode::FullScreen}},
        {"CRLF, blanks and remarks",
         "; x\r\n[tukomi-window]\r\n zoom = 1.75 \r\nmode=maximized\r\n",
         {1.75, WindowMode::Maximized}},
        {"another program's file", "[General]\nzoom=3\n", {}},
        {"empty", "", {}},
        {"nonsense values", "[tukomi-window]\nzoom=big\nmode=sideways\n", {}},
        {"beyond the limits", "[tukomi-window]\nzoom=40\n", {kMaxZoom, WindowMode::Normal}},
        {"below the limits", "[tukomi-window]\nzoom=-2\n", {kMinZoom, WindowMode::Normal}},
        {"not finite", "[tukomi-window]\nzoom=inf\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowSettings::parse(c.content), c.expected);
    }

    // Saved into a folder that does not exist yet, and read back.
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/config/tukomi/window.ini");
    const WindowSettings left{2.25, WindowMode::Maximized};
    ASSERT_TRUE(left.save(path));
    EXPECT_EQ(WindowSettings::load(path), left);
    EXPECT_EQ(WindowSettings::load(dir.path() + QStringLiteral("/missing.ini")), WindowSettings{});
    // A file far too large for ours is not read.
    QFile big(path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write("[tukomi-window]\nzoom=2\n" + QByteArray(WindowSettings::kMaxFileBytes, '\n'));
    big.close();
    EXPECT_EQ(WindowSettings::load(path), WindowSettings{});
}

TEST(ImageChoice, TakesTheSmallestVersionThatNeedsNoEnlarging) {
    const struct {
        std::vector<int> available;
        double deviceScale;
        int chosen;
    } cases[] = {
        {{1, 2, 3}, 1.0, 1},  {{1, 2, 3}, 1.25, 2}, {{1, 2, 3}, 2.0, 2},
        {{1, 2, 3}, 2.01, 2},  // one pixel past twice is not worth three times the pixels
        {{1, 2, 3}, 2.5, 3},  {{1, 2, 3}, 6.0, 3},  {{1}, 3.0, 1},
        {{3, 1}, 1.5, 3},     {{}, 2.0, 1},         {{1, 2, 3}, 0.5, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseImageScale(c.available, c.deviceScale), c.chosen) << c.deviceScale;

    EXPECT_EQ(scaledImagePath(QStringLiteral("/a.b/999/5/1.gif"), 3),
              QStringLiteral("/a.b/999/5/1@3x.png"));
    EXPECT_EQ(scaledImagePath(QStringLiteral("/a.b/piece"), 2),
              QStringLiteral("/a.b/piece@2x.png"));
}

}  // namespace
}  // namespace tukomi
