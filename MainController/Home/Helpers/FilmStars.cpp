#include "MainController/Home/Helpers/FilmStars.h"

#include <algorithm>
#include <charconv>
#include <cmath>

std::array<StarLook, 5> starsForScore(std::string_view score) {
    std::array<StarLook, 5> stars;
    stars.fill(StarLook::unlit);
    double value = 0;
    const char* end = score.data() + score.size();
    const auto parsed = std::from_chars(score.data(), end, value);
    if (score.empty() || parsed.ec != std::errc() || parsed.ptr != end || !std::isfinite(value)) {
        return stars;
    }
    const long n = std::lround(std::clamp(value, 0.0, 10.0));
    if (n < 2) {
        return stars;
    }
    const long lit = std::min<long>(n / 2, static_cast<long>(stars.size()));
    std::fill_n(stars.begin(), lit, StarLook::lit);
    if (n % 2 == 1 && n / 2 < static_cast<long>(stars.size())) {
        stars[static_cast<std::size_t>(n / 2)] = StarLook::half;
    }
    return stars;
}
