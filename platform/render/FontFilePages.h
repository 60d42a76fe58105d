#pragma once

#include <cstddef>

// The font files are mapped into the process (by FreeType and HarfBuzz) and every page read
// while shaping text and drawing glyphs stays resident with the process: with Noto CJK a few
// hundred characters touch most of a 20 MB file. Once text has been shaped and its glyphs
// drawn (Cairo keeps the glyphs it drew), those pages are not needed until new text comes.
namespace render {

// Hands the pages of the mapped font files back; they are read again from the file system's
// cache when next needed. Only read-only mappings of font files are touched, which hold the
// file's own bytes and nothing the process wrote. Answers the resident bytes handed back.
std::size_t releaseFontFilePages();

} // namespace render
