#pragma once

#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QMUILabel;

// What the poster cells share: the look of their poster and name views, and how a poster
// address reaches the image view.

// True for an absolute http or https address with a host: the only addresses a poster is
// loaded from or a tap opens.
bool isWebAddress(std::string_view text);

// A poster view: rounded corners that clip, aspect fill, the placeholder showing.
std::shared_ptr<UIImageView> makePosterImageView();
// A film name label: the text "名字", white, centred, a medium system font of `fontSize`.
std::shared_ptr<QMUILabel> makePosterNameLabel(double fontSize);

// Loads the poster at `address` with the placeholder showing meanwhile; an address that is
// missing or not a web address leaves the view as it is.
void loadPoster(const std::shared_ptr<UIImageView>& imageView, const std::optional<std::string>& address);
// Stops the view's pending load and shows the placeholder: a reused cell never shows the
// film it showed before, nor a late poster of that film.
void resetPoster(const std::shared_ptr<UIImageView>& imageView);
