#pragma once

#include <array>
#include <string_view>

// How the five stars of a film's rating row look for its Douban score.
enum class StarLook { unlit, lit, half };

// The score text must be a decimal number as a whole (no white space around it); a text
// that is not, or a number that is not finite, lights nothing. The score is kept within
// 0...10 and rounded half away from zero to n; from n = 2 on the first n / 2 stars are lit,
// and an odd n adds a half star after them while there is a star left for it.
std::array<StarLook, 5> starsForScore(std::string_view score);
