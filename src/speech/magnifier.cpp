#include "speech/magnifier.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/cp1252.h"
#include "console/console.h"

namespace mg {
namespace {

struct Magnifier {
  int row = 1;
  int zoom = 0;
  int letter = 14, background = 6, cursor = 3;
  int windowStart = 1;
  TTF_Font* font = nullptr;
  bool shown = false;  // a line was drawn and not yet repainted away
  MagnifierLine line;
  // White glyph textures per cp1252 code, tinted with the colour when drawn; they
  // belong to the renderer they were made for.
  SDL_Renderer* glyphRenderer = nullptr;
  std::array<SDL_Texture*, 256> glyphs{};
};

Magnifier& M() {
  static Magnifier m;
  return m;
}

void DropGlyphs(bool destroy) {
  for (SDL_Texture*& t : M().glyphs) {
    if (t != nullptr && destroy) SDL_DestroyTexture(t);
    t = nullptr;
  }
}

void CloseFont() {
  DropGlyphs(true);
  if (M().font != nullptr) TTF_CloseFont(M().font);
  M().font = nullptr;
}

// Opens `file` at the point size whose line height is closest to `height` pixels.
TTF_Font* OpenFontOfHeight(const std::string& file, int height, int weight) {
  TTF_Font* font = TTF_OpenFont(file.c_str(), height);
  if (font == nullptr) return nullptr;
  const int got = TTF_FontHeight(font);
  if (got > 0 && got != height) {
    const int size = std::max(1, (height * height + got / 2) / got);
    TTF_SetFontSize(font, size);
  }
  const char* style = TTF_FontFaceStyleName(font);
  const bool boldFace = style != nullptr && SDL_strcasestr(style, "bold") != nullptr;
  if (weight >= 600 && !boldFace) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  TTF_SetFontHinting(font, TTF_HINTING_NORMAL);
  return font;
}

SDL_Texture* Glyph(SDL_Renderer* renderer, uint8_t c) {
  Magnifier& m = M();
  if (renderer != m.glyphRenderer) {
    // Another renderer: the old textures died with their own renderer.
    DropGlyphs(false);
    m.glyphRenderer = renderer;
  }
  if (m.glyphs[c] != nullptr) return m.glyphs[c];
  const char32_t cp = Cp1252ToCodePoint(c);
  if (cp < 32 || cp == ' ' || (cp >= 0x7F && cp < 0xA0)) return nullptr;
  SDL_Surface* s = TTF_RenderGlyph32_Blended(m.font, static_cast<Uint32>(cp), {255, 255, 255, 255});
  if (s == nullptr) return nullptr;
  SDL_Texture* t = SDL_CreateTextureFromSurface(renderer, s);
  SDL_FreeSurface(s);
  if (t != nullptr) SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  m.glyphs[c] = t;
  return t;
}

void PaintPiece(SDL_Renderer* r, const std::string& piece, int& x, int y, int w, int h, Rgb text,
                Rgb back) {
  for (char ch : piece) {
    const SDL_Rect cell{x, y, w, h};
    SDL_SetRenderDrawColor(r, back.r, back.g, back.b, 255);
    SDL_RenderFillRect(r, &cell);
    if (SDL_Texture* g = Glyph(r, static_cast<uint8_t>(ch))) {
      SDL_SetTextureColorMod(g, text.r, text.g, text.b);
      SDL_RenderCopy(r, g, nullptr, &cell);
    }
    x += w;
  }
}

}  // namespace

void MagnifierSetColours(int letter, int background, int cursor) {
  M().letter = std::clamp(letter, 0, 15);
  M().background = std::clamp(background, 0, 15);
  M().cursor = std::clamp(cursor, 0, 15);
}

void MagnifierMakeFont(int row, int zoom) {
  Magnifier& m = M();
  CloseFont();
  m.shown = false;
  m.zoom = 0;
  if (zoom <= 0) {
    SetOverlayPainter({});
    return;
  }
  ConsoleOpen();
  if (TTF_WasInit() == 0 && TTF_Init() != 0) return;
  m.row = std::clamp(row, 1, kScreenRows);
  m.zoom = std::min(zoom, 10);
  const FontChoice choice = ConsoleFont();
  m.font = OpenFontOfHeight(choice.file, m.zoom * CellHeight(), choice.weight);
  if (m.font == nullptr) {
    std::fprintf(stderr, "minigravador: magnifier font %s: %s\n", choice.file.c_str(),
                 TTF_GetError());
    m.zoom = 0;
    return;
  }
  m.windowStart = 1;
  SetOverlayPainter([](void* renderer) { MagnifierPaint(renderer); });
}

bool MagnifierOn() { return M().zoom > 0 && M().font != nullptr; }

MagnifierLine MagnifierLayout(std::string_view text, int position, int zoom, int& windowStart) {
  MagnifierLine line;
  if (zoom <= 0) return line;
  const int c = std::max(position, 1);
  const int w = kScreenCols / zoom;
  if (windowStart >= c) windowStart = c - 1;
  windowStart = std::max(windowStart, 1);
  if (c > windowStart + w) windowStart = c - w;

  const size_t from = static_cast<size_t>(windowStart - 1);
  const std::string_view v =
      from < text.size() ? text.substr(from, static_cast<size_t>(w)) : std::string_view{};
  const int i = c - windowStart + 1;
  const size_t beforeLen = static_cast<size_t>(std::max(i - 2, 0));
  line.before = std::string(v.substr(0, std::min(beforeLen, v.size())));
  line.before.resize(beforeLen, ' ');
  if (i > 1) {
    line.marked = static_cast<size_t>(i - 2) < v.size() ? std::string(1, v[i - 2]) : " ";
  }
  const size_t afterFrom = static_cast<size_t>(i - 1);
  if (afterFrom < v.size()) line.after = std::string(v.substr(afterFrom));
  const size_t used = line.before.size() + line.marked.size();
  line.after.resize(used < static_cast<size_t>(w) ? static_cast<size_t>(w) - used : 0, ' ');
  return line;
}

void MagnifierDraw(std::string_view text, int position) {
  Magnifier& m = M();
  if (!MagnifierOn()) return;
  m.line = MagnifierLayout(text, position, m.zoom, m.windowStart);
  // No picture of its own: the console composes its cells and this line with its next
  // picture, which the caller's next write or key wait makes.
  m.shown = true;
}

void MagnifierRepaint() {
  M().shown = false;
  InvalidateConsole();
  PresentConsole();
}

void MagnifierPaint(void* sdlRenderer) {
  Magnifier& m = M();
  auto* r = static_cast<SDL_Renderer*>(sdlRenderer);
  if (r == nullptr || !m.shown || !MagnifierOn()) return;
  Uint8 sr, sg, sb, sa;
  SDL_GetRenderDrawColor(r, &sr, &sg, &sb, &sa);
  SDL_BlendMode mode;
  SDL_GetRenderDrawBlendMode(r, &mode);
  SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);

  const int w = CellWidth() * m.zoom;
  const int h = CellHeight() * m.zoom;
  const int y = (m.row - 1) * CellHeight();
  const Rgb text = ColourOf(m.letter), back = ColourOf(m.background), mark = ColourOf(m.cursor);
  int x = 0;
  PaintPiece(r, m.line.before, x, y, w, h, text, back);
  PaintPiece(r, m.line.marked, x, y, w, h, mark, back);
  PaintPiece(r, m.line.after, x, y, w, h, text, back);

  SDL_SetRenderDrawBlendMode(r, mode);
  SDL_SetRenderDrawColor(r, sr, sg, sb, sa);
}

}  // namespace mg
