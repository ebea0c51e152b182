#include "platform/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

namespace qev::platform
{
namespace
{

// Windows-1252 bytes 0x80..0x9F; the rest of the set coincides with Latin-1.
const uint16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned unicodeOf(unsigned char c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

using CacheKey = std::tuple<std::string, LONG, bool, bool>;

// FreeType and fontconfig, shared by every face made from them: the last face to go, possibly one
// held by a static stock font at process exit, closes them.
struct Library
{
    FT_Library freetype = nullptr;
    // A configuration of our own: the host process may use fontconfig too, and its global state
    // is not ours to set up or tear down.
    FcConfig* config = nullptr;

    Library()
    {
        if (FT_Init_FreeType(&freetype) != 0)
            freetype = nullptr;
        config = FcInitLoadConfigAndFonts();
    }
    ~Library()
    {
        if (freetype)
            FT_Done_FreeType(freetype);
        if (config)
            FcConfigDestroy(config);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

struct FontSystem
{
    std::shared_ptr<Library> library = std::make_shared<Library>();
    std::map<CacheKey, std::shared_ptr<FontFace>> cache;
};

FontSystem& fontSystem()
{
    static FontSystem system;
    return system;
}

std::string familyFor(const LOGFONTA& log)
{
    if (log.lfFaceName[0])
        return log.lfFaceName;
    switch (log.lfPitchAndFamily & 0xF0)
    {
    case FF_ROMAN:
        return "Times New Roman";
    case FF_MODERN:
        return "Courier New";
    default:
        return "Arial";
    }
}

struct Match
{
    std::string file;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    std::string family;
};

bool matchFont(FcConfig* config, const std::string& family, bool bold, bool italic, Match& out)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (found)
    {
        out.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(match, FC_INDEX, 0, &out.index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &out.weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &out.slant);
        if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch)
            out.family = reinterpret_cast<const char*>(matchedFamily);
    }
    FcPatternDestroy(match);
    return found;
}

} // namespace

struct FontFace::Impl
{
    std::shared_ptr<Library> library; // outlives the face
    FT_Face face = nullptr;
    bool embolden = false;
    bool oblique = false;
    bool symbol = false; // bytes index the face's own symbol encoding
    FT_CharMap custom = nullptr;
    FT_CharMap unicode = nullptr;

    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
    }

    FT_UInt glyphIndex(unsigned char c) const
    {
        if (!symbol)
            return FT_Get_Char_Index(face, unicodeOf(c));
        if (face->charmap && face->charmap->encoding == FT_ENCODING_MS_SYMBOL)
            return FT_Get_Char_Index(face, 0xF000u | c);
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (index == 0 && custom)
        {
            FT_Set_Charmap(face, custom);
            index = FT_Get_Char_Index(face, c);
            if (unicode)
                FT_Set_Charmap(face, unicode);
        }
        return index;
    }
};

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

FontFace::~FontFace() = default;

std::shared_ptr<FontFace> FontFace::forFont(const LOGFONTA& log)
{
    FontSystem& system = fontSystem();
    Library& library = *system.library;
    if (!library.freetype || !library.config)
        return nullptr;
    const bool bold = log.lfWeight >= 600;
    const bool italic = log.lfItalic != 0;
    const std::string family = familyFor(log);
    const CacheKey key{family, log.lfHeight, bold, italic};
    auto cached = system.cache.find(key);
    if (cached != system.cache.end())
        return cached->second;

    Match match;
    if (!matchFont(library.config, family, bold, italic, match))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->library = system.library;
    if (FT_New_Face(library.freetype, match.file.c_str(), match.index, &impl->face) != 0)
        return nullptr;
    FT_Face face = impl->face;
    impl->embolden = bold && match.weight < FC_WEIGHT_DEMIBOLD;
    impl->oblique = italic && match.slant == FC_SLANT_ROMAN;
    for (int i = 0; i < face->num_charmaps; ++i)
    {
        if (face->charmaps[i]->encoding == FT_ENCODING_ADOBE_CUSTOM)
            impl->custom = face->charmaps[i];
        if (face->charmaps[i]->encoding == FT_ENCODING_UNICODE && !impl->unicode)
            impl->unicode = face->charmaps[i];
    }
    impl->symbol = FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0 ||
                   match.family.find("Symbol") != std::string::npos;

    // Heights as Windows reads them: a negative height is the em size, a positive one the cell
    // (Windows ascent plus descent).
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double upem = face->units_per_EM ? face->units_per_EM : 1000;
    const double ascent = os2 && os2->usWinAscent ? os2->usWinAscent : face->ascender;
    const double descent = os2 && os2->usWinDescent ? os2->usWinDescent : -face->descender;
    const double cell = std::max(1.0, ascent + descent);
    const double em = log.lfHeight < 0   ? -log.lfHeight
                      : log.lfHeight > 0 ? log.lfHeight * upem / cell
                                         : 16 * upem / cell;
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72);

    std::shared_ptr<FontFace> result(new FontFace(std::move(impl)));
    result->ascent_ = static_cast<int>(std::lround(ascent * em / upem));
    result->descent_ = static_cast<int>(std::lround(descent * em / upem));
    result->underlineOffset_ =
        std::max(1, static_cast<int>(std::lround(-face->underline_position * em / upem)));
    result->underlineThickness_ =
        std::max(1, static_cast<int>(std::lround(face->underline_thickness * em / upem)));
    system.cache.emplace(key, result);
    return result;
}

const Glyph& FontFace::glyph(unsigned char c)
{
    Glyph& g = glyphs_[c];
    if (g.ready)
        return g;
    g.ready = true;
    FT_Face face = impl_->face;
    if (FT_Load_Glyph(face, impl_->glyphIndex(c), FT_LOAD_DEFAULT) != 0)
        return g;
    FT_GlyphSlot slot = face->glyph;
    if (impl_->embolden)
        FT_GlyphSlot_Embolden(slot);
    if (impl_->oblique)
        FT_GlyphSlot_Oblique(slot);
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return g;
    const FT_Bitmap& bitmap = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bitmap.width);
    g.height = static_cast<int>(bitmap.rows);
    g.coverage.resize(static_cast<size_t>(g.width) * g.height);
    for (int y = 0; y < g.height; ++y)
        std::memcpy(g.coverage.data() + static_cast<size_t>(y) * g.width,
                    bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch, g.width);
    return g;
}

int FontFace::measure(const char* text, int count)
{
    int width = 0;
    for (int i = 0; i < count; ++i)
        width += glyph(static_cast<unsigned char>(text[i])).advance;
    return width;
}

} // namespace qev::platform
