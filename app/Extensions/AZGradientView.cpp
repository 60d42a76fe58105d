#include "app/Extensions/AZGradientView.h"

AZGradientView::AZGradientView(const CGRect& frame) : UIView(frame, CAGradientLayer::layer()) {}

std::shared_ptr<AZGradientView>
AZGradientView::az_gradientViewWithColors(const std::vector<UIColor>& colors,
                                          const std::vector<double>& locations, CGPoint startPoint,
                                          CGPoint endPoint) {
    auto view = std::make_shared<AZGradientView>();
    view->az_setGradientBackgroundWithColors(colors, locations, startPoint, endPoint);
    return view;
}

void AZGradientView::az_setGradientBackgroundWithColors(const std::vector<UIColor>& colors,
                                                        const std::vector<double>& locations,
                                                        CGPoint startPoint, CGPoint endPoint) {
    setAz_colors(colors);
    setAz_locations(locations);
    setAz_startPoint(startPoint);
    setAz_endPoint(endPoint);
}

void AZGradientView::setAz_colors(std::vector<UIColor> colors) {
    colors_ = std::move(colors);
    gradientLayer().setColors(colors_);
}

void AZGradientView::setAz_locations(std::vector<double> locations) {
    locations_ = std::move(locations);
    gradientLayer().setLocations(locations_);
}

void AZGradientView::setAz_startPoint(CGPoint point) {
    startPoint_ = point;
    gradientLayer().setStartPoint(startPoint_);
}

void AZGradientView::setAz_endPoint(CGPoint point) {
    endPoint_ = point;
    gradientLayer().setEndPoint(endPoint_);
}
