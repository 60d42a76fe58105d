#include "platform/render/ImageDecodingIconsPath.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>

namespace render::icons {
namespace {

constexpr double kPi = std::numbers::pi;

// Adds the arc of the ellipse around (cx, cy) with radii rx, ry turned by `phi`, from
// angle `start` through `sweep`, as cubic curves of at most a quarter turn each (the
// curves SVG renderers draw arcs with).
void addArcCurves(cairo_t* cr, double cx, double cy, double rx, double ry, double phi, double start,
                  double sweep) {
    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);
    const auto point = [&](double u, double v, double& x, double& y) {
        x = cx + rx * cosPhi * u - ry * sinPhi * v;
        y = cy + rx * sinPhi * u + ry * cosPhi * v;
    };
    const int segments = std::max(1, int(std::ceil(std::abs(sweep) / (kPi / 2 + 0.001))));
    const double step = sweep / segments;
    const double handle = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double from = start + i * step;
        const double to = from + step;
        double x1, y1, x2, y2, x3, y3;
        point(std::cos(from) - handle * std::sin(from), std::sin(from) + handle * std::cos(from), x1, y1);
        point(std::cos(to) + handle * std::sin(to), std::sin(to) - handle * std::cos(to), x2, y2);
        point(std::cos(to), std::sin(to), x3, y3);
        cairo_curve_to(cr, x1, y1, x2, y2, x3, y3);
    }
}

// SVG's elliptical arc from the current point (x1, y1) to (x2, y2), drawn through the
// arc's centre form (SVG 1.1, appendix F.6).
void arcTo(cairo_t* cr, double x1, double y1, double rx, double ry, double rotationDegrees, bool largeArc,
           bool sweep, double x2, double y2) {
    if (x1 == x2 && y1 == y2) {
        return;
    }
    rx = std::abs(rx);
    ry = std::abs(ry);
    if (rx == 0 || ry == 0) {
        cairo_line_to(cr, x2, y2);
        return;
    }
    const double phi = rotationDegrees * kPi / 180;
    const double cosPhi = std::cos(phi);
    const double sinPhi = std::sin(phi);
    const double dx = (x1 - x2) / 2;
    const double dy = (y1 - y2) / 2;
    const double x1p = cosPhi * dx + sinPhi * dy;
    const double y1p = -sinPhi * dx + cosPhi * dy;
    const double lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const double numerator = rx * rx * ry * ry - rx * rx * y1p * y1p - ry * ry * x1p * x1p;
    const double denominator = rx * rx * y1p * y1p + ry * ry * x1p * x1p;
    double coefficient = denominator > 0 ? std::sqrt(std::max(0.0, numerator / denominator)) : 0;
    if (largeArc == sweep) {
        coefficient = -coefficient;
    }
    const double cxp = coefficient * rx * y1p / ry;
    const double cyp = -coefficient * ry * x1p / rx;
    const double cx = cosPhi * cxp - sinPhi * cyp + (x1 + x2) / 2;
    const double cy = sinPhi * cxp + cosPhi * cyp + (y1 + y2) / 2;
    const double startAngle = std::atan2((y1p - cyp) / ry, (x1p - cxp) / rx);
    double sweepAngle = std::atan2((-y1p - cyp) / ry, (-x1p - cxp) / rx) - startAngle;
    if (sweep && sweepAngle < 0) {
        sweepAngle += 2 * kPi;
    } else if (!sweep && sweepAngle > 0) {
        sweepAngle -= 2 * kPi;
    }
    addArcCurves(cr, cx, cy, rx, ry, phi, startAngle, sweepAngle);
}

} // namespace

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSeparator(text.front()) && text.front() != ',') {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSeparator(text.back()) && text.back() != ',') {
        text.remove_suffix(1);
    }
    return text;
}

bool readNumber(std::string_view& text, double& value) {
    std::size_t skip = 0;
    if (!text.empty() && text.front() == '+') {
        skip = 1;
    }
    const char* first = text.data() + skip;
    const char* last = text.data() + text.size();
    if (first < last && *first == '+') {
        return false;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || !std::isfinite(value)) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

std::optional<double> lengthValue(std::string_view text) {
    text = trimmed(text);
    double value = 0;
    if (!readNumber(text, value)) {
        return std::nullopt;
    }
    if (text == "px") {
        text.remove_prefix(2);
    }
    return text.empty() ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> unitValue(std::string_view text) {
    const auto value = lengthValue(text);
    if (!value || trimmed(text).ends_with("px")) {
        return std::nullopt;
    }
    return std::clamp(*value, 0.0, 1.0);
}

bool addPathData(cairo_t* cr, std::string_view data) {
    double x = 0, y = 0;               // current point
    double startX = 0, startY = 0;     // of the current subpath
    double controlX = 0, controlY = 0; // last control point, for S and T
    char previous = 0;
    char command = 0;
    const auto skipSeparators = [&] {
        while (!data.empty() && isSeparator(data.front())) {
            data.remove_prefix(1);
        }
    };
    const auto number = [&](double& value) {
        skipSeparators();
        return readNumber(data, value);
    };
    const auto flag = [&](bool& value) {
        skipSeparators();
        if (data.empty() || (data.front() != '0' && data.front() != '1')) {
            return false;
        }
        value = data.front() == '1';
        data.remove_prefix(1);
        return true;
    };
    skipSeparators();
    while (!data.empty()) {
        if (std::isalpha(static_cast<unsigned char>(data.front()))) {
            command = data.front();
            data.remove_prefix(1);
        } else if (command == 0 || command == 'z' || command == 'Z') {
            return false;
        }
        const bool relative = std::islower(static_cast<unsigned char>(command));
        const double baseX = relative ? x : 0;
        const double baseY = relative ? y : 0;
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(command)));
        if (previous == 0 && upper != 'M') {
            // Path data starts with a move.
            return false;
        }
        switch (upper) {
        case 'M': {
            double px, py;
            if (!number(px) || !number(py)) {
                return false;
            }
            x = startX = baseX + px;
            y = startY = baseY + py;
            cairo_move_to(cr, x, y);
            // Further pairs are lines.
            command = relative ? 'l' : 'L';
            break;
        }
        case 'L': {
            double px, py;
            if (!number(px) || !number(py)) {
                return false;
            }
            x = baseX + px;
            y = baseY + py;
            cairo_line_to(cr, x, y);
            break;
        }
        case 'H': {
            double px;
            if (!number(px)) {
                return false;
            }
            x = baseX + px;
            cairo_line_to(cr, x, y);
            break;
        }
        case 'V': {
            double py;
            if (!number(py)) {
                return false;
            }
            y = baseY + py;
            cairo_line_to(cr, x, y);
            break;
        }
        case 'C':
        case 'S': {
            double x1, y1;
            if (upper == 'C') {
                if (!number(x1) || !number(y1)) {
                    return false;
                }
                x1 += baseX;
                y1 += baseY;
            } else {
                const bool follows = previous == 'C' || previous == 'S';
                x1 = follows ? 2 * x - controlX : x;
                y1 = follows ? 2 * y - controlY : y;
            }
            double x2, y2, px, py;
            if (!number(x2) || !number(y2) || !number(px) || !number(py)) {
                return false;
            }
            controlX = baseX + x2;
            controlY = baseY + y2;
            x = baseX + px;
            y = baseY + py;
            cairo_curve_to(cr, x1, y1, controlX, controlY, x, y);
            break;
        }
        case 'Q':
        case 'T': {
            double qx, qy;
            if (upper == 'Q') {
                if (!number(qx) || !number(qy)) {
                    return false;
                }
                qx += baseX;
                qy += baseY;
            } else {
                const bool follows = previous == 'Q' || previous == 'T';
                qx = follows ? 2 * x - controlX : x;
                qy = follows ? 2 * y - controlY : y;
            }
            double px, py;
            if (!number(px) || !number(py)) {
                return false;
            }
            const double endX = baseX + px;
            const double endY = baseY + py;
            cairo_curve_to(cr, x + 2.0 / 3 * (qx - x), y + 2.0 / 3 * (qy - y), endX + 2.0 / 3 * (qx - endX),
                           endY + 2.0 / 3 * (qy - endY), endX, endY);
            controlX = qx;
            controlY = qy;
            x = endX;
            y = endY;
            break;
        }
        case 'A': {
            double rx, ry, rotation, px, py;
            bool largeArc, sweep;
            if (!number(rx) || !number(ry) || !number(rotation) || !flag(largeArc) || !flag(sweep) ||
                !number(px) || !number(py)) {
                return false;
            }
            arcTo(cr, x, y, rx, ry, rotation, largeArc, sweep, baseX + px, baseY + py);
            x = baseX + px;
            y = baseY + py;
            break;
        }
        case 'Z':
            cairo_close_path(cr);
            x = startX;
            y = startY;
            break;
        default:
            return false;
        }
        previous = upper;
        skipSeparators();
    }
    return true;
}

void addEllipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_move_to(cr, cx + rx, cy);
    addArcCurves(cr, cx, cy, rx, ry, 0, 0, 2 * kPi);
    cairo_close_path(cr);
}

void addRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double rx, double ry) {
    const auto corner = [&](double cx, double cy, double from) {
        addArcCurves(cr, cx, cy, rx, ry, 0, from, kPi / 2);
    };
    cairo_move_to(cr, x + rx, y);
    cairo_line_to(cr, x + width - rx, y);
    corner(x + width - rx, y + ry, -kPi / 2);
    cairo_line_to(cr, x + width, y + height - ry);
    corner(x + width - rx, y + height - ry, 0);
    cairo_line_to(cr, x + rx, y + height);
    corner(x + rx, y + height - ry, kPi / 2);
    cairo_line_to(cr, x, y + ry);
    corner(x + rx, y + ry, kPi);
    cairo_close_path(cr);
}

} // namespace render::icons
