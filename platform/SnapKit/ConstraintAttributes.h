#pragma once

// The attributes a constraint maker or a target names, as a set: one constraint is made
// for each attribute of the set.
using ConstraintAttributes = unsigned;

namespace ConstraintAttribute {
inline constexpr ConstraintAttributes none = 0;
inline constexpr ConstraintAttributes left = 1u << 0;
inline constexpr ConstraintAttributes top = 1u << 1;
inline constexpr ConstraintAttributes right = 1u << 2;
inline constexpr ConstraintAttributes bottom = 1u << 3;
inline constexpr ConstraintAttributes leading = 1u << 4;
inline constexpr ConstraintAttributes trailing = 1u << 5;
inline constexpr ConstraintAttributes width = 1u << 6;
inline constexpr ConstraintAttributes height = 1u << 7;
inline constexpr ConstraintAttributes centerX = 1u << 8;
inline constexpr ConstraintAttributes centerY = 1u << 9;
inline constexpr ConstraintAttributes edges = top | left | bottom | right;
inline constexpr ConstraintAttributes horizontalEdges = left | right;
inline constexpr ConstraintAttributes verticalEdges = top | bottom;
inline constexpr ConstraintAttributes directionalEdges = top | leading | bottom | trailing;
inline constexpr ConstraintAttributes size = width | height;
inline constexpr ConstraintAttributes center = centerX | centerY;
} // namespace ConstraintAttribute
