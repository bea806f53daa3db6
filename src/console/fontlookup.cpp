#include "console/fontlookup.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <vector>

namespace mg {
namespace {

bool MatchOne(const std::string& family, int weight, bool sameFamily, FontFile& found) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;

  bool ok = false;
  FcChar8* file = nullptr;
  FcChar8* matchedFamily = nullptr;
  int spacing = FC_PROPORTIONAL;
  int index = 0;
  int matchedWeight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
      FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
      (spacing == FC_MONO || spacing == FC_CHARCELL)) {
    // Fontconfig always answers with its best match; a different family means that
    // the face asked for is not installed.
    const bool familyMatches =
        strcasecmp(reinterpret_cast<const char*>(matchedFamily), family.c_str()) == 0;
    if (familyMatches || !sameFamily) {
      found.file = reinterpret_cast<const char*>(file);
      found.index = index;
      found.family = reinterpret_cast<const char*>(matchedFamily);
      found.bold = matchedWeight >= FC_WEIGHT_DEMIBOLD;
      ok = true;
    }
  }
  FcPatternDestroy(match);
  return ok;
}

int FontHeightAt(TTF_Font* font, unsigned hdpi, unsigned vdpi) {
  TTF_SetFontSizeDPI(font, 72, hdpi, vdpi);
  return TTF_FontHeight(font);
}

int AdvanceAt(TTF_Font* font, unsigned hdpi, unsigned vdpi) {
  TTF_SetFontSizeDPI(font, 72, hdpi, vdpi);
  int minx, maxx, miny, maxy, advance = 0;
  if (TTF_GlyphMetrics32(font, 'M', &minx, &maxx, &miny, &maxy, &advance) != 0) return 0;
  return advance;
}

// The largest resolution (1-4096) for which measure(resolution) <= limit.
template <typename Measure>
unsigned LargestFitting(int limit, Measure measure) {
  unsigned lo = 1, hi = 4096;
  if (measure(lo) > limit) return lo;
  while (lo < hi) {
    const unsigned mid = lo + (hi - lo + 1) / 2;
    if (measure(mid) <= limit) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return lo;
}

// Every font fontconfig knows that draws Latin letters, nearest to a Portuguese
// monospace face at `weight` first.
std::vector<FontFile> EveryFont(int weight) {
  std::vector<FontFile> fonts;
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return fonts;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("pt"));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FcPatternDestroy(pattern);
  if (set == nullptr) return fonts;
  for (int i = 0; i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    FcCharSet* charset = nullptr;
    int index = 0;
    int fontWeight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch ||
        !FcCharSetHasChar(charset, 'A') || !FcCharSetHasChar(charset, 'a')) {
      continue;
    }
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    FcPatternGetInteger(font, FC_WEIGHT, 0, &fontWeight);
    FontFile f;
    f.file = reinterpret_cast<const char*>(file);
    f.index = index;
    if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) {
      f.family = reinterpret_cast<const char*>(family);
    }
    f.bold = fontWeight >= FC_WEIGHT_DEMIBOLD;
    fonts.push_back(f);
  }
  FcFontSetDestroy(set);
  return fonts;
}

}  // namespace

TTF_Font* OpenFittedFont(const FontFile& font, int width, int height, int weight) {
  // At 72 points the pixel size equals the resolution, so each resolution step is
  // one pixel of em size; vertical and horizontal scale separately.
  TTF_Font* f = TTF_OpenFontIndexDPI(font.file.c_str(), 72, font.index, 72, 72);
  if (f == nullptr) return nullptr;
  if (weight >= 600 && !font.bold) TTF_SetFontStyle(f, TTF_STYLE_BOLD);
  const unsigned vdpi = LargestFitting(height, [&](unsigned v) { return FontHeightAt(f, v, v); });
  const unsigned hdpi = LargestFitting(width, [&](unsigned h) { return AdvanceAt(f, h, vdpi); });
  TTF_SetFontSizeDPI(f, 72, hdpi, vdpi);
  return f;
}

TTF_Font* OpenConsoleFont(const std::string& faceUtf8, int weight, int width, int height,
                          FontFile& used) {
  if (TTF_WasInit() == 0 && TTF_Init() != 0) return nullptr;
  if (!FcInit()) return nullptr;
  std::vector<FontFile> tried;
  const auto open = [&](const FontFile& candidate) -> TTF_Font* {
    for (const FontFile& t : tried) {
      if (t.file == candidate.file && t.index == candidate.index) return nullptr;
    }
    tried.push_back(candidate);
    TTF_Font* font = OpenFittedFont(candidate, width, height, weight);
    if (font == nullptr) return nullptr;
    int minx, maxx, miny, maxy, advance = 0;
    if (TTF_FontHeight(font) > 0 &&
        TTF_GlyphMetrics32(font, 'M', &minx, &maxx, &miny, &maxy, &advance) == 0 && advance > 0) {
      used = candidate;
      return font;
    }
    TTF_CloseFont(font);  // opens, but draws nothing usable at this size
    return nullptr;
  };
  FontFile found;
  TTF_Font* font = nullptr;
  if (!faceUtf8.empty() && MatchOne(faceUtf8, weight, true, found)) font = open(found);
  if (font == nullptr && MatchOne("monospace", weight, false, found)) font = open(found);
  // Only when both fail is every font listed.
  if (font == nullptr) {
    for (const FontFile& candidate : EveryFont(weight)) {
      if ((font = open(candidate)) != nullptr) break;
    }
  }
  return font;
}

}  // namespace mg
