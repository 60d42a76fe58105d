#include "Startup/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, AScreenByNameOrSizeBringsItsDeviceAndSafeAreasAndKeepsTheScale) {
    const auto tablet = parseCommandLine({"--screen", "tablet"});
    ASSERT_TRUE(tablet);
    EXPECT_EQ(tablet->screen.size, (CGSize{1024, 1366}));
    EXPECT_EQ(tablet->screen.idiom, UIUserInterfaceIdiom::pad);
    EXPECT_EQ(tablet->screen.scale, 2);

    // A size is a tablet's from 600 points on its shorter side; tall tablets have a home
    // indicator under a taller status bar, as tall phones do.
    struct Case {
        const char* size;
        UIUserInterfaceIdiom idiom;
        CGFloat statusBar;
        CGFloat homeIndicator;
    };
    for (const Case& expected : {Case{"1024x1366", UIUserInterfaceIdiom::pad, 24, 20},
                                 Case{"744x1133", UIUserInterfaceIdiom::pad, 24, 20},
                                 Case{"768x1024", UIUserInterfaceIdiom::pad, 20, 0},
                                 Case{"600x960", UIUserInterfaceIdiom::pad, 20, 0},
                                 Case{"599x960", UIUserInterfaceIdiom::phone, 47, 34},
                                 Case{"430x932", UIUserInterfaceIdiom::phone, 47, 34},
                                 Case{"375x667", UIUserInterfaceIdiom::phone, 20, 0}}) {
        const auto parsed = parseCommandLine({"--scale", "1", "--screen", expected.size});
        ASSERT_TRUE(parsed) << expected.size;
        EXPECT_EQ(parsed->screen.idiom, expected.idiom) << expected.size;
        EXPECT_EQ(parsed->screen.statusBarHeight, expected.statusBar) << expected.size;
        EXPECT_EQ(parsed->screen.bottomSafeAreaHeight, expected.homeIndicator) << expected.size;
        EXPECT_EQ(parsed->screen.scale, 1) << "the scale given before the screen stays";
    }

    const auto shot =
        parseCommandLine({"--headless", "--screen", "classic", "--scale", "3", "--screenshot", "a.png"});
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->screen.size, (CGSize{375, 667}));
    EXPECT_EQ(shot->screen.scale, 3);
    EXPECT_EQ(shot->screenshot, "a.png");
    EXPECT_EQ(shot->forwarded, (std::vector<std::string>{"--headless"}));
    EXPECT_EQ(parseCommandLine({})->screen.idiom, UIUserInterfaceIdiom::phone) << "a phone by default";
}

TEST(CommandLine, WhatCannotBeUsedIsRefused) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--screen", "ipad"},
                                                                       {"--screen", "1024x"},
                                                                       {"--screen", "1024x1366px"},
                                                                       {"--screen", "nanx900"},
                                                                       {"--screen", "1024xnan"},
                                                                       {"--screen", "100x900"},
                                                                       {"--screen", "1024x9000"},
                                                                       {"--screen"},
                                                                       {"--scale", "nan"},
                                                                       {"--scale", "0.5"},
                                                                       {"--screenshot", "a.png"},
                                                                       {"--fullscreen"}}) {
        EXPECT_FALSE(parseCommandLine(arguments)) << arguments.front() << " " << arguments.back();
    }
}

} // namespace
