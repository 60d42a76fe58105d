#include "platform/QMUIKit/Controllers/QMUIAssetsManager.h"

#include "platform/CoreGraphics/CGContext.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/UIKit/UIGraphics.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIView.h"

#include <cairo.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path homeDirectory() {
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? fs::path(home) : fs::path("/");
}

// The value of the XDG_PICTURES_DIR line of a user-dirs.dirs file: a quoted path,
// relative to the home folder when it starts with "$HOME".
std::optional<fs::path> picturesDirectoryFrom(const fs::path& userDirs) {
    std::ifstream file(userDirs);
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=";
    while (std::getline(file, line)) {
        if (!line.starts_with(key)) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
            return std::nullopt;
        }
        value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) {
            return homeDirectory() / fs::path(value.substr(5)).relative_path();
        }
        if (value.starts_with("/")) {
            return fs::path(value);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

NSError writeError(const std::string& message) {
    return NSError{message, 1};
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// A name no picture in `folder` has yet, from the time of saving.
std::string baseName() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "IMG_%Y%m%d_%H%M%S", &local);
    return text;
}

// Writes the PNG bytes into a hidden file of the folder, then links it under the first
// free name: the picture appears whole, and an existing one is never replaced.
std::optional<QMUIAsset> writePicture(const fs::path& folder, const std::string& png, std::string& failure) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(folder)) {
        failure = "cannot make the pictures folder " + folder.string();
        return std::nullopt;
    }
    const fs::path temporary =
        folder / (".saving-" + std::to_string(::getpid()) + "-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    {
        std::ofstream out(temporary, std::ios::binary);
        out.write(png.data(), static_cast<std::streamsize>(png.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, error);
            failure = "cannot write into the pictures folder " + folder.string();
            return std::nullopt;
        }
    }
    const std::string base = baseName();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const fs::path candidate =
            folder / (base + (attempt == 0 ? std::string() : "_" + std::to_string(attempt)) + ".png");
        if (::link(temporary.c_str(), candidate.c_str()) == 0) {
            fs::remove(temporary, error);
            return QMUIAsset{candidate};
        }
        if (errno != EEXIST) {
            break;
        }
    }
    fs::remove(temporary, error);
    failure = "cannot name the picture in " + folder.string();
    return std::nullopt;
}

} // namespace

fs::path QMUIUserPicturesDirectory() {
    if (const char* pictures = std::getenv("XDG_PICTURES_DIR"); pictures != nullptr && *pictures != '\0') {
        return fs::path(pictures);
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path configHome =
        config != nullptr && *config == '/' ? fs::path(config) : homeDirectory() / ".config";
    if (auto folder = picturesDirectoryFrom(configHome / "user-dirs.dirs")) {
        return *folder;
    }
    return homeDirectory() / "Pictures";
}

void QMUIImageWriteToSavedPhotosAlbumWithAlbumAssetsGroup(std::shared_ptr<UIImage> image,
                                                          std::shared_ptr<QMUIAssetsGroup>,
                                                          QMUIWriteAssetCompletionBlock completion) {
    auto finish = [completion](std::optional<QMUIAsset> asset, std::optional<NSError> error) {
        DispatchQueue::main().async([completion, asset = std::move(asset), error = std::move(error)] {
            if (completion) {
                completion(asset, error);
            }
        });
    };
    if (!image || !image->CGImage()) {
        finish(std::nullopt, writeError("the picture is empty"));
        return;
    }
    const fs::path folder = QMUIUserPicturesDirectory();
    DispatchQueue::global().async([image = std::move(image), folder, finish] {
        std::string png;
        if (cairo_surface_write_to_png_stream(image->CGImage()->surface(), appendBytes, &png) !=
            CAIRO_STATUS_SUCCESS) {
            finish(std::nullopt, writeError("cannot encode the picture"));
            return;
        }
        std::string failure;
        auto asset = writePicture(folder, png, failure);
        if (asset) {
            finish(std::move(asset), std::nullopt);
        } else {
            finish(std::nullopt, writeError(failure));
        }
    });
}

std::shared_ptr<UIImage> qmui_snapshotLayerImage(UIView& view) {
    const CGSize size = view.bounds().size;
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    std::shared_ptr<UIImage> image;
    if (CGContext* context = UIGraphicsGetCurrentContext()) {
        view.layer()->renderInContext(context->cairo());
        image = UIGraphicsGetImageFromCurrentImageContext();
    }
    UIGraphicsEndImageContext();
    return image;
}
