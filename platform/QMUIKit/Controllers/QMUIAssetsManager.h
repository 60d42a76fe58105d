#pragma once

#include "platform/Foundation/NSError.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class UIImage;
class UIView;

// An album of the user's pictures. A new, empty group stands for no particular album:
// pictures go straight into the pictures folder.
class QMUIAssetsGroup {
  public:
    QMUIAssetsGroup() = default;
};

// A picture in the user's pictures.
struct QMUIAsset {
    std::filesystem::path path;
};

using QMUIWriteAssetCompletionBlock =
    std::function<void(const std::optional<QMUIAsset>& asset, const std::optional<NSError>& error)>;

// The user's pictures folder as the desktop names it: $XDG_PICTURES_DIR, else the
// XDG_PICTURES_DIR line of user-dirs.dirs in $XDG_CONFIG_HOME (~/.config), else
// ~/Pictures.
std::filesystem::path QMUIUserPicturesDirectory();

// Saves `image` as a new PNG file in the user's pictures folder (made when missing),
// never replacing a picture that is there. The file is written on a background thread
// and appears whole or not at all; `completion` runs on the main queue with the new
// picture, or with an error (its domain says what failed, in words) when the image is
// empty or the folder cannot be written.
void QMUIImageWriteToSavedPhotosAlbumWithAlbumAssetsGroup(std::shared_ptr<UIImage> image,
                                                          std::shared_ptr<QMUIAssetsGroup> albumAssetsGroup,
                                                          QMUIWriteAssetCompletionBlock completion);

// A picture of what `view`'s layer shows now, at the screen's scale, clipped as the
// layer clips (rounded corners stay transparent); null for a view without area.
std::shared_ptr<UIImage> qmui_snapshotLayerImage(UIView& view);
