#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Search/Controller/KKtenseadjacentViewController.h"
#include "MainController/Video/Controller/KKceasevainViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "platform/CoreGraphics/CGImage.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/UIImage.h"
#include "tests/MainController/Video/ShortsJourneySupport.h"
#include "tests/support/TestSupport.h"

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ShortsPosterJourney : public shortsjourney::ShortsJourneyTest {
  protected:
    void beforeLaunch() override {
        pictures_ = testsupport::freshFolder("pictures") / "not-yet-made";
        setenv("XDG_PICTURES_DIR", pictures_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_PICTURES_DIR");
        ShortsJourneyTest::TearDown();
    }

    std::vector<fs::path> savedPictures() const {
        std::vector<fs::path> found;
        if (fs::is_directory(pictures_)) {
            for (const auto& entry : fs::directory_iterator(pictures_)) {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    fs::path pictures_;
};

// Whether the picture is a QR code: square, with the three finder patterns (a dark ring
// of 7 modules around a dark 3-module square) in the corners other than the lower right.
bool looksLikeQrCode(const CGImage& image) {
    cairo_surface_t* surface = image.surface();
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    if (width != cairo_image_surface_get_height(surface) || width < 21) {
        return false;
    }
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    auto dark = [&](int x, int y) {
        const auto* pixel = reinterpret_cast<const std::uint32_t*>(data + y * stride) + x;
        return ((*pixel >> 8) & 0xff) < 128;
    };
    int quiet = 0;
    while (quiet < width && !dark(quiet, quiet)) {
        ++quiet;
    }
    int finder = 0;
    while (quiet + finder < width && dark(quiet + finder, quiet)) {
        ++finder;
    }
    if (quiet == width || finder == 0 || finder % 7 != 0) {
        return false;
    }
    const int module = finder / 7;
    auto finderAt = [&](int left, int top) {
        for (int row = 0; row < 7; ++row) {
            for (int column = 0; column < 7; ++column) {
                const bool ring = row == 0 || row == 6 || column == 0 || column == 6;
                const bool core = row >= 2 && row <= 4 && column >= 2 && column <= 4;
                if (dark(left + column * module + module / 2, top + row * module + module / 2) !=
                    (ring || core)) {
                    return false;
                }
            }
        }
        return true;
    };
    const int far = width - quiet - finder;
    return finderAt(quiet, quiet) && finderAt(far, quiet) && finderAt(quiet, far) && !finderAt(far, far);
}

TEST_F(ShortsPosterJourney, ThePosterShowsTheCardAndSavesItAsAPicture) {
    const auto page = openFeed();
    ASSERT_TRUE(page);
    const auto item = page->list[0];
    ui().tap(cellAt(0)->shareButton());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKceasevainViewController>() != nullptr; })) << "no poster";
    const auto poster = topPageAs<KKceasevainViewController>();
    EXPECT_EQ(poster->model, item);
    EXPECT_EQ(poster->modalPresentationStyle(), UIModalPresentationStyle::fullScreen);
    EXPECT_TRUE(page->curPlayer()->isPaused()) << "the feed pauses under the poster";
    EXPECT_EQ(poster->titleLabel()->text(), "Vantra免费看 " + item->title.value_or(""));
    EXPECT_EQ(poster->appName()->text(), "Orvex");
    ASSERT_TRUE(waitFor([&] {
        const auto code = poster->qrcodeView()->image();
        return code && code->CGImage() && poster->coverView()->image() != placeholderImage();
    })) << "the code or the cover did not load";
    EXPECT_TRUE(looksLikeQrCode(*poster->qrcodeView()->image()->CGImage()))
        << "the code picture is no QR code";
    EXPECT_EQ(apiRequests("/down/qrcode.png").size(), 1u);
    ASSERT_TRUE(waitForText("长按识别二维码\n海量视频等你来看"));
    playFrames(0.5);
    gallery("shorts-share-poster");

    // Saving writes a picture of the card alone into the pictures folder, made as needed.
    ui().tap(poster->saveButton());
    ASSERT_TRUE(waitForText(KKceasevainViewController::savedText));
    auto saved = savedPictures();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].extension(), ".png");
    cairo_surface_t* picture = cairo_image_surface_create_from_png(saved[0].c_str());
    ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
    const CGSize card = poster->card()->bounds().size;
    const double scale = cairo_image_surface_get_width(picture) / card.width;
    EXPECT_GE(scale, 1);
    EXPECT_NEAR(cairo_image_surface_get_height(picture), card.height * scale, 1);
    const auto* corner = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(picture));
    EXPECT_EQ(*corner >> 24, 0u) << "the rounded corner is cut away";
    cairo_surface_destroy(picture);

    QMUITips::hideAllTips();
    ui().tap(poster->saveButton());
    ASSERT_TRUE(waitForText(KKceasevainViewController::savedText));
    EXPECT_EQ(savedPictures().size(), 2u) << "saving twice keeps both pictures";

    // A folder that cannot be made says so instead of reporting success.
    QMUITips::hideAllTips();
    const fs::path blocker = testsupport::freshFolder("blocked") / "file";
    std::ofstream(blocker) << "x";
    setenv("XDG_PICTURES_DIR", (blocker / "Pictures").c_str(), 1);
    ui().tap(poster->saveButton());
    ASSERT_TRUE(waitForText(KKceasevainViewController::failedText));
    EXPECT_EQ(ui().findByText(KKceasevainViewController::savedText), nullptr);

    ui().tap(poster->closeButton());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKcandyleanViewController>() == page; }));
}

TEST_F(ShortsPosterJourney, AllEpisodesOpensTheTitleOrSearchesForItsName) {
    const auto page = openFeed();
    ASSERT_TRUE(page);
    const auto item = page->list[0];
    ui().tap(cellAt(0)->allButton());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKgiganticgloomy>() != nullptr; })) << "no resource list";
    const auto lookups = apiRequests("/api/getVideoInfo");
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].parameters.at("vod_id"), item->douban);
    EXPECT_EQ(lookups[0].parameters.at("type"), "douban");
    EXPECT_EQ(topPageAs<KKgiganticgloomy>()->vod_id, "1001") << "the title whose douban id the video names";

    topPage()->navigationController()->popViewControllerAnimated(false);
    ASSERT_TRUE(waitFor([&] { return feed() == page; }));
    service().setFault("api/getVideoInfo", {.status = 503});
    ui().tap(cellAt(0)->allButton());
    ASSERT_TRUE(waitFor([&] { return topPageAs<KKtenseadjacentViewController>() != nullptr; }))
        << "no search page";
    EXPECT_EQ(topPageAs<KKtenseadjacentViewController>()->text, item->title);
}

} // namespace
