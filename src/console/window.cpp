// The console window: display settings, font, size limits, creation and destruction.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/cp1252.h"
#include "common/paths.h"
#include "console/backend.h"
#include "console/fontlookup.h"

namespace mg {
namespace backend {

WindowState& Win() {
  static WindowState state;
  return state;
}

void FatalWindowError(const char* what) {
  std::fprintf(stderr,
               "minigravador: a janela do console n\xc3\xa3o p\xc3\xb4"
               "de ser criada: %s (%s)\n",
               what, SDL_GetError());
  std::exit(1);
}

void DestroyConsoleWindow() {
  WindowState& w = Win();
  ReleaseRenderResources();
  if (w.font != nullptr) TTF_CloseFont(w.font);
  if (w.renderer != nullptr) SDL_DestroyRenderer(w.renderer);
  if (w.window != nullptr) SDL_DestroyWindow(w.window);
  w.font = nullptr;
  w.renderer = nullptr;
  w.window = nullptr;
  w.open = false;
  w.reading = false;
  w.focused = false;
  Screen().SetCursor(1, 1);
}

}  // namespace backend

namespace {

using namespace backend;

BrailleDisplayOpener gBrailleOpener = nullptr;
bool gFirstOpen = true;

// Program path as the title: at most 79 characters.
std::string WindowTitle() {
  std::string path = ProgramPath();
  if (path.size() > 79) path.resize(79);
  return Cp1252ToUtf8(path);
}

void OnProgramExit() {
  WindowState& w = Win();
  if (!w.open || w.closing) return;
  TestHooksAtEnd();
  SDL_SetWindowTitle(w.window, "Programa terminado");
  PresentConsole();
}

SDL_Renderer* MakeRenderer(SDL_Window* window) {
  SDL_Renderer* r = SDL_CreateRenderer(window, -1, SDL_RENDERER_TARGETTEXTURE);
  if (r == nullptr) {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    r = SDL_CreateRenderer(window, -1, SDL_RENDERER_TARGETTEXTURE);
  }
  return r;
}

}  // namespace

void SetBrailleDisplayOpener(BrailleDisplayOpener opener) { gBrailleOpener = opener; }

bool ConsoleIsOpen() { return Win().open; }

void ConsoleOpen() {
  WindowState& w = Win();
  if (w.open) return;
  EnsureEvents();
  setenv("SDL_VIDEO_X11_WMCLASS", "SnWinCrt", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    FatalWindowError(
        "sem v\xc3\xad"
        "deo");
  if (TTF_WasInit() == 0 && TTF_Init() != 0) FatalWindowError("SDL_ttf");

  w.settings = LoadDisplaySettings();
  if (gFirstOpen) {
    Screen().set_attribute(w.settings.startAttribute);
    Decoder().SetMode(w.settings.brailleMode);
  }

  SDL_Rect work{0, 0, 1024, 734};
  if (SDL_GetDisplayUsableBounds(0, &work) != 0 || work.w <= 0 || work.h <= 0) {
    work = SDL_Rect{0, 0, 1024, 734};
  }
  const int cw = ClampCellWidth(w.settings.cellWidth > 0 ? w.settings.cellWidth
                                                         : CellWidthFromWorkArea(work.w));
  const int ch = ClampCellHeight(w.settings.cellHeight > 0 ? w.settings.cellHeight
                                                           : CellHeightFromWorkArea(work.h));

  FontFile file;
  const std::string face = Cp1252ToUtf8(w.settings.face);
  if (!FindMonospaceFont(face, w.settings.weight, file)) {
    FatalWindowError(
        "nenhuma fonte monoespa\xc3\xa7"
        "ada encontrada");
  }
  w.font = OpenFittedFont(file, cw, ch, w.settings.weight);
  if (w.font == nullptr && FindMonospaceFont("", w.settings.weight, file)) {
    w.font = OpenFittedFont(file, cw, ch, w.settings.weight);
  }
  if (w.font == nullptr) FatalWindowError("a fonte n\xc3\xa3o abre");
  w.fontChoice = FontChoice{w.settings.face, file.file, w.settings.weight};
  w.cellWidth = cw;
  w.cellHeight = ch;
  w.ascent = std::min(TTF_FontAscent(w.font), ch - 2);

  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN;
  if (!w.settings.normalWindow) flags |= SDL_WINDOW_MAXIMIZED;
  w.window = SDL_CreateWindow(WindowTitle().c_str(), SDL_WINDOWPOS_UNDEFINED,
                              SDL_WINDOWPOS_UNDEFINED, kScreenCols * cw, kScreenRows * ch, flags);
  if (w.window == nullptr) FatalWindowError("SDL_CreateWindow");
  SDL_SetWindowMaximumSize(w.window, std::min(kScreenCols * cw, work.w),
                           std::min(kScreenRows * ch, work.h));
  SDL_SetWindowMinimumSize(w.window, 16 * cw, 4 * ch);
  w.renderer = MakeRenderer(w.window);
  if (w.renderer == nullptr) FatalWindowError("SDL_CreateRenderer");

  Screen().Reset(Screen().attribute());
  w.open = true;
  w.closing = false;
  if (gFirstOpen) {
    std::atexit(OnProgramExit);
    InitTestHooks();
  }
  gFirstOpen = false;
  MarkAllDamaged();
  PresentConsole();

  PlaySignal(BrailleModeSignal(0, Decoder().mode()));
  if (gBrailleOpener != nullptr) gBrailleOpener();
}

int CellWidth() { return Win().cellWidth; }
int CellHeight() { return Win().cellHeight; }
FontChoice ConsoleFont() { return Win().fontChoice; }

Rgb ColourOf(int colourNumber) {
  if (colourNumber < 0 || colourNumber > 15) return Rgb{0, 0, 0};
  return PaletteValueColour(Win().settings.palette[colourNumber]);
}

}  // namespace mg
