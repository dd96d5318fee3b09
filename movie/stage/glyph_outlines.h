// The text of movie/font/glyphs.txt, compiled in so the build needs no installed font.
#pragma once

namespace zimo::movie::stage {
extern const char* const kGlyphOutlines;
}
