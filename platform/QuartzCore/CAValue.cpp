#include "platform/QuartzCore/CAValue.h"

namespace {

double mix(double a, double b, double t) {
    return a + (b - a) * t;
}

CGPoint mix(CGPoint a, CGPoint b, double t) {
    return {mix(a.x, b.x, t), mix(a.y, b.y, t)};
}

CGSize mix(CGSize a, CGSize b, double t) {
    return {mix(a.width, b.width, t), mix(a.height, b.height, t)};
}

CGAffineTransform mix(const CGAffineTransform& a, const CGAffineTransform& b, double t) {
    return {mix(a.a, b.a, t), mix(a.b, b.b, t),   mix(a.c, b.c, t),
            mix(a.d, b.d, t), mix(a.tx, b.tx, t), mix(a.ty, b.ty, t)};
}

// A missing colour fades as the other colour made transparent, so that "none" to red
// fades in red rather than passing through black.
std::optional<UIColor> mixColors(const std::optional<UIColor>& a, const std::optional<UIColor>& b, double t) {
    if (!a && !b) {
        return std::nullopt;
    }
    const UIColor from = a ? *a : b->colorWithAlphaComponent(0);
    const UIColor to = b ? *b : a->colorWithAlphaComponent(0);
    if (t >= 1 && !b) {
        return std::nullopt;
    }
    return UIColor::interpolate(from, to, t);
}

} // namespace

namespace CAValues {

CAValue interpolate(const CAValue& from, const CAValue& to, double t) {
    if (from.index() != to.index()) {
        return t < 0.5 ? from : to;
    }
    return std::visit(
        [&](const auto& a) -> CAValue {
            using T = std::decay_t<decltype(a)>;
            const T& b = std::get<T>(to);
            if constexpr (std::is_same_v<T, double> || std::is_same_v<T, CGPoint> ||
                          std::is_same_v<T, CGSize> || std::is_same_v<T, CGAffineTransform>) {
                return mix(a, b, t);
            } else if constexpr (std::is_same_v<T, CGRect>) {
                return CGRect{mix(a.origin, b.origin, t), mix(a.size, b.size, t)};
            } else if constexpr (std::is_same_v<T, std::optional<UIColor>>) {
                return mixColors(a, b, t);
            } else if constexpr (std::is_same_v<T, std::optional<CGPath>>) {
                if (a && b) {
                    if (auto path = CGPath::interpolate(*a, *b, t)) {
                        return std::optional<CGPath>(std::move(*path));
                    }
                }
                return t < 0.5 ? a : b;
            } else if constexpr (std::is_same_v<T, std::vector<UIColor>>) {
                if (a.size() != b.size()) {
                    return t < 0.5 ? a : b;
                }
                std::vector<UIColor> mixed;
                for (size_t i = 0; i < a.size(); ++i) {
                    mixed.push_back(UIColor::interpolate(a[i], b[i], t));
                }
                return mixed;
            } else {
                if (a.size() != b.size()) {
                    return t < 0.5 ? a : b;
                }
                std::vector<double> mixed;
                for (size_t i = 0; i < a.size(); ++i) {
                    mixed.push_back(mix(a[i], b[i], t));
                }
                return mixed;
            }
        },
        from);
}

CAValue add(const CAValue& from, const CAValue& by) {
    if (from.index() != by.index()) {
        return from;
    }
    if (auto* a = std::get_if<double>(&from)) {
        return *a + std::get<double>(by);
    }
    if (auto* a = std::get_if<CGPoint>(&from)) {
        const CGPoint& b = std::get<CGPoint>(by);
        return CGPoint{a->x + b.x, a->y + b.y};
    }
    if (auto* a = std::get_if<CGSize>(&from)) {
        const CGSize& b = std::get<CGSize>(by);
        return CGSize{a->width + b.width, a->height + b.height};
    }
    if (auto* a = std::get_if<CGAffineTransform>(&from)) {
        return a->concatenating(std::get<CGAffineTransform>(by));
    }
    return from;
}

} // namespace CAValues
