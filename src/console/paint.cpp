// Painting: damaged stretches of the screen are drawn into a texture of the whole
// 80 x 25 grid; each picture is that texture, the overlay and the caret.
#include <algorithm>
#include <utility>
#include <vector>

#include "common/cp1252.h"
#include "console/backend.h"
#include "console/builtinfont.h"

namespace mg {
namespace backend {
namespace {

struct Damage {
  int left = kScreenCols;
  int right = 0;
};
Damage gDamage[kScreenRows];
bool gAnyDamage = false;

// White glyphs with alpha, one per cp1252 character; colour comes from colour mod.
SDL_Texture* gGlyphs[256] = {};
bool gGlyphTried[256] = {};

OverlayPainter gOverlay;

// The built-in font's glyph scaled to the cell, white with the coverage as alpha.
SDL_Surface* BuiltinGlyphSurface(uint8_t ch) {
  const WindowState& w = Win();
  const std::vector<uint8_t> alpha =
      ScaleBuiltinGlyph(BuiltinGlyphOf(ch), w.cellWidth, w.cellHeight);
  SDL_Surface* s =
      SDL_CreateRGBSurfaceWithFormat(0, w.cellWidth, w.cellHeight, 32, SDL_PIXELFORMAT_ARGB8888);
  if (s == nullptr) return nullptr;
  for (int y = 0; y < w.cellHeight; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < w.cellWidth; ++x) {
      row[x] =
          static_cast<uint32_t>(alpha[static_cast<size_t>(y * w.cellWidth + x)]) << 24 | 0xFFFFFFu;
    }
  }
  return s;
}

SDL_Texture* Glyph(uint8_t ch) {
  if (gGlyphTried[ch]) return gGlyphs[ch];
  gGlyphTried[ch] = true;
  const char32_t cp = Cp1252ToCodePoint(ch);
  WindowState& w = Win();
  if (cp <= 0x20 || (cp >= 0x7F && cp <= 0xA0)) return nullptr;
  SDL_Surface* s = nullptr;
  if (w.font == nullptr) {
    s = BuiltinGlyphSurface(ch);
  } else {
    const char32_t shown = TTF_GlyphIsProvided32(w.font, cp) ? cp : U'?';
    s = TTF_RenderGlyph32_Blended(w.font, shown, SDL_Color{255, 255, 255, 255});
  }
  if (s == nullptr) return nullptr;
  gGlyphs[ch] = SDL_CreateTextureFromSurface(w.renderer, s);
  SDL_FreeSurface(s);
  if (gGlyphs[ch] != nullptr) SDL_SetTextureBlendMode(gGlyphs[ch], SDL_BLENDMODE_BLEND);
  return gGlyphs[ch];
}

bool EnsureTarget() {
  WindowState& w = Win();
  if (w.target != nullptr) return true;
  w.target = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                               kScreenCols * w.cellWidth, kScreenRows * w.cellHeight);
  if (w.target == nullptr) return false;
  MarkAllDamaged();
  return true;
}

// Draws columns [left, right) of `row`, split into runs of equal attribute.
void DrawStretch(int row, int left, int right) {
  WindowState& w = Win();
  const ScreenModel& screen = Screen();
  const uint8_t* chars = screen.RowChars(row);
  const uint8_t* attrs = screen.RowAttrs(row);
  int start = left;
  while (start < right) {
    int end = start + 1;
    while (end < right && attrs[end] == attrs[start]) ++end;
    const Rgb bg = ColourOf(attrs[start] >> 4);
    const Rgb fg = ColourOf(attrs[start] & 15);
    SDL_SetRenderDrawColor(w.renderer, bg.r, bg.g, bg.b, 255);
    const SDL_Rect run{start * w.cellWidth, row * w.cellHeight, (end - start) * w.cellWidth,
                       w.cellHeight};
    SDL_RenderFillRect(w.renderer, &run);
    for (int c = start; c < end; ++c) {
      SDL_Texture* glyph = Glyph(chars[c]);
      if (glyph == nullptr) continue;
      int gw = 0, gh = 0;
      SDL_QueryTexture(glyph, nullptr, nullptr, &gw, &gh);
      const SDL_Rect src{0, 0, std::min(gw, w.cellWidth), std::min(gh, w.cellHeight)};
      const SDL_Rect dst{c * w.cellWidth, row * w.cellHeight, src.w, src.h};
      SDL_SetTextureColorMod(glyph, fg.r, fg.g, fg.b);
      SDL_RenderCopy(w.renderer, glyph, &src, &dst);
    }
    start = end;
  }
}

void DrawDamage() {
  if (!gAnyDamage) return;
  WindowState& w = Win();
  SDL_SetRenderTarget(w.renderer, w.target);
  for (int r = 0; r < kScreenRows; ++r) {
    if (gDamage[r].left < gDamage[r].right) DrawStretch(r, gDamage[r].left, gDamage[r].right);
    gDamage[r] = Damage{};
  }
  SDL_SetRenderTarget(w.renderer, nullptr);
  gAnyDamage = false;
}

void DrawCaret() {
  WindowState& w = Win();
  if (!w.reading || !w.focused) return;
  const ScreenModel& screen = Screen();
  const int column = std::min(screen.column(), kScreenCols - 1);
  const Rgb fg = ColourOf(screen.attribute() & 15);
  SDL_SetRenderDrawColor(w.renderer, fg.r, fg.g, fg.b, 255);
  const SDL_Rect caret{column * w.cellWidth, screen.row() * w.cellHeight + w.ascent, w.cellWidth,
                       2};
  SDL_RenderFillRect(w.renderer, &caret);
}

}  // namespace

void MarkDamage(int row, int left, int right) {
  if (row < 0 || row >= kScreenRows) return;
  left = std::max(left, 0);
  right = std::min(right, kScreenCols);
  if (left >= right) return;
  gDamage[row].left = std::min(gDamage[row].left, left);
  gDamage[row].right = std::max(gDamage[row].right, right);
  gAnyDamage = true;
}

void MarkAllDamaged() {
  for (int r = 0; r < kScreenRows; ++r) gDamage[r] = Damage{0, kScreenCols};
  gAnyDamage = true;
}

bool HasDamage() { return gAnyDamage || Win().needsPresent; }

void ReleaseRenderResources() {
  for (int i = 0; i < 256; ++i) {
    if (gGlyphs[i] != nullptr) SDL_DestroyTexture(gGlyphs[i]);
    gGlyphs[i] = nullptr;
    gGlyphTried[i] = false;
  }
  WindowState& w = Win();
  if (w.target != nullptr) SDL_DestroyTexture(w.target);
  w.target = nullptr;
}

void ComposeFrame() {
  WindowState& w = Win();
  if (!EnsureTarget()) return;
  DrawDamage();
  SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
  SDL_RenderClear(w.renderer);
  const SDL_Rect all{0, 0, kScreenCols * w.cellWidth, kScreenRows * w.cellHeight};
  SDL_RenderCopy(w.renderer, w.target, nullptr, &all);
  if (gOverlay) gOverlay(w.renderer);
  DrawCaret();
}

}  // namespace backend

void SetOverlayPainter(OverlayPainter painter) { backend::gOverlay = std::move(painter); }

void InvalidateConsole() { backend::MarkAllDamaged(); }

void PresentConsole() {
  backend::WindowState& w = backend::Win();
  if (!w.open) return;
  backend::ComposeFrame();
  SDL_RenderPresent(w.renderer);
  w.needsPresent = false;
}

}  // namespace mg
