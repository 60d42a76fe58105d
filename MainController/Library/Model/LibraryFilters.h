#pragma once

#include "platform/Foundation/JSON.h"

#include <optional>
#include <string>
#include <vector>

// What the library grid is narrowed to: a type (the service's "type_id", "1" at first) and,
// within it, a class, an area, a language and a year, each absent until the user picks one.
struct LibraryFilters {
    std::optional<std::string> typeId = "1";
    std::optional<std::string> classtype;
    std::optional<std::string> area;
    std::optional<std::string> lang;
    std::optional<std::string> year;

    // Another type: the lower filters belong to the old one and are dropped.
    void chooseType(const std::string& type);
};

// The filter tree (an array of type objects with "type_name", "type_id", "class", "area",
// "lang" and "year") kept in the user defaults under "library_parseJSON".
namespace LibraryFilterTree {
inline constexpr const char* kDefaultsKey = "library_parseJSON";
// The stored tree, when a text is stored (a text that is not an array reads as empty).
std::optional<std::vector<JSON>> cached();
// Stores an answer that is an array; anything else stores nothing.
void store(const JSON& answer);
} // namespace LibraryFilterTree
