#pragma once

#include <cstddef>

namespace html {
// One named character reference: its name without ";" and the one or two characters it
// stands for.
struct Entity
{
    const char *name;
    char32_t first;
    char32_t second = 0; // 0 when the name stands for one character
};

inline constexpr std::size_t entityCount = 2125;
inline constexpr std::size_t legacyCount = 106;
inline constexpr std::size_t longestEntityName = 31;
inline constexpr std::size_t longestLegacyName = 6;

// Every name of HTML5, sorted byte by byte for a binary search (entitytable.cpp, written by
// make_entities.py).
extern const Entity entities[entityCount];
// The names that old pages wrote without ";" and that HTML5 still reads so, sorted alike.
extern const char *const legacyNames[legacyCount];
} // namespace html
