#include "platform/Foundation/RunLoop.h"
#include "platform/QMUIKit/Controllers/QMUIAssetsManager.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIView.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedEnvironment() { set(old_); }

  private:
    void set(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

struct Saved {
    std::optional<QMUIAsset> asset;
    std::optional<NSError> error;
};

Saved save(const std::shared_ptr<UIImage>& image) {
    std::optional<Saved> result;
    QMUIImageWriteToSavedPhotosAlbumWithAlbumAssetsGroup(
        image, std::make_shared<QMUIAssetsGroup>(),
        [&](const std::optional<QMUIAsset>& asset, const std::optional<NSError>& error) {
            result = Saved{asset, error};
        });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return result.has_value(); }, 10));
    return result.value_or(Saved{});
}

std::shared_ptr<UIImage> redCard() {
    auto card = std::make_shared<UIView>(CGRectMake(0, 0, 40, 30));
    card->setBackgroundColor(UIColor{1, 0, 0, 1});
    card->layer()->setCornerRadius(8);
    card->setClipsToBounds(true);
    return qmui_snapshotLayerImage(*card);
}

TEST(QMUIAssets, ThePicturesFolderFollowsTheDesktopsSettings) {
    const fs::path home = testsupport::freshFolder("home");
    ScopedEnvironment homeVariable("HOME", home.string());
    ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnvironment pictures("XDG_PICTURES_DIR", std::nullopt);
    EXPECT_EQ(QMUIUserPicturesDirectory(), home / "Pictures");

    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                       << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                       << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(QMUIUserPicturesDirectory(), home / "Bilder");
    {
        ScopedEnvironment elsewhere("XDG_CONFIG_HOME", (home / "elsewhere").string());
        EXPECT_EQ(QMUIUserPicturesDirectory(), home / "Pictures") << "no user-dirs.dirs there";
    }
    ScopedEnvironment chosen("XDG_PICTURES_DIR", "/srv/pictures");
    EXPECT_EQ(QMUIUserPicturesDirectory(), "/srv/pictures");
}

TEST(QMUIAssets, SavesWholeNewPicturesAndReportsWhatCannotBeSaved) {
    testsupport::useVirtualClock();
    const fs::path folder = testsupport::freshFolder("saved") / "a" / "b";
    ScopedEnvironment pictures("XDG_PICTURES_DIR", folder.string());

    const auto image = redCard();
    ASSERT_TRUE(image);
    const Saved first = save(image);
    ASSERT_TRUE(first.asset) << (first.error ? first.error->domain : "");
    const Saved second = save(image);
    ASSERT_TRUE(second.asset);
    EXPECT_NE(first.asset->path, second.asset->path) << "a second picture never replaces the first";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2) << "no leftovers";

    cairo_surface_t* png = cairo_image_surface_create_from_png(first.asset->path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), image->CGImage()->width());
    EXPECT_EQ(cairo_image_surface_get_height(png), image->CGImage()->height());
    const auto pixel = [&](int x, int y) {
        const unsigned char* row =
            cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png);
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    };
    EXPECT_EQ(pixel(0, 0) >> 24, 0u) << "outside the rounded corner";
    EXPECT_EQ(pixel(cairo_image_surface_get_width(png) / 2, cairo_image_surface_get_height(png) / 2),
              0xffff0000u);
    cairo_surface_destroy(png);

    EXPECT_TRUE(save(nullptr).error) << "no picture";
    const fs::path file = testsupport::freshFolder("blocked") / "file";
    std::ofstream(file) << "x";
    ScopedEnvironment blocked("XDG_PICTURES_DIR", (file / "Pictures").string());
    const Saved failed = save(image);
    EXPECT_FALSE(failed.asset);
    ASSERT_TRUE(failed.error);
    EXPECT_FALSE(failed.error->domain.empty());
}

} // namespace
