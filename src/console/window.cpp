// The console window: display settings, font, size limits, creation and destruction.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/cp1252.h"
#include "common/paths.h"
#include "console/backend.h"
#include "console/builtinfont.h"
#include "console/fontlookup.h"

namespace mg {
namespace {

NoWindowHandler gNoWindowHandler = nullptr;
constexpr const char* kNoWindowSentence = "N\xe3o foi poss\xedvel abrir a janela";

}  // namespace

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

void EndWithoutWindow() {
  static bool ending = false;
  if (!ending) {
    ending = true;
    if (gNoWindowHandler != nullptr) gNoWindowHandler(kNoWindowSentence);
  }
  std::exit(kExitNoWindow);
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

std::string gTitle;  // set by SetWindowTitle; empty: the program's path

// The title, at most 79 characters.
std::string WindowTitle() {
  std::string title = gTitle.empty() ? ProgramPath() : gTitle;
  if (title.size() > 79) title.resize(79);
  return Cp1252ToUtf8(title);
}

void OnProgramExit() {
  WindowState& w = Win();
  if (!w.open || w.closing) return;
  TestHooksAtEnd();
  SDL_SetWindowTitle(w.window, "Programa terminado");
  PresentConsole();
}

// A video driver that shows nothing (SDL falls back to "offscreen" when no display
// answers) counts only when the environment asked for it, as the tests do.
bool DriverShowsNothing(const char* driver) {
  if (driver == nullptr) return true;
  const std::string name = driver;
  if (name != "offscreen" && name != "dummy" && name != "evdev") return false;
  std::string asked = SDL_GetHint(SDL_HINT_VIDEODRIVER) ? SDL_GetHint(SDL_HINT_VIDEODRIVER) : "";
  for (char& c : asked) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return asked.find(name) == std::string::npos;
}

bool OpenVideo(std::string& why) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    why = SDL_GetError();
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (DriverShowsNothing(driver)) {
    why = std::string("no display; SDL chose the video driver ") + (driver ? driver : "(none)");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  return true;
}

// The configured face, else any font fontconfig finds, else the built-in bitmap font
// (w.font stays null).
void OpenFont(int cellWidth, int cellHeight) {
  WindowState& w = Win();
  FontFile file;
  w.font = OpenConsoleFont(Cp1252ToUtf8(w.settings.face), w.settings.weight, cellWidth, cellHeight,
                           file);
  w.cellWidth = cellWidth;
  w.cellHeight = cellHeight;
  if (w.font != nullptr) {
    w.fontChoice = FontChoice{w.settings.face, file.file, w.settings.weight};
    w.ascent = std::min(TTF_FontAscent(w.font), cellHeight - 2);
    return;
  }
  std::fprintf(stderr,
               "minigravador: nenhuma fonte utiliz\xc3\xa1vel%s%s; a janela usa a fonte "
               "interna\n",
               TTF_WasInit() != 0 ? "" : ": SDL_ttf ", TTF_WasInit() != 0 ? "" : TTF_GetError());
  w.fontChoice = FontChoice{w.settings.face, "", w.settings.weight};
  w.ascent = std::min(kBuiltinBaseline * cellHeight / kBuiltinGlyphHeight, cellHeight - 2);
}

// The window cannot be opened: the console goes on without one (writes reach only the
// screen buffer) until the program can say so and end.
void NoWindow(const std::string& why) {
  WindowState& w = Win();
  if (w.font != nullptr) TTF_CloseFont(w.font);
  if (w.window != nullptr) SDL_DestroyWindow(w.window);
  w.font = nullptr;
  w.window = nullptr;
  w.unavailable = true;
  std::fprintf(stderr, "minigravador: %s (%s)\n", Cp1252ToUtf8(kNoWindowSentence).c_str(),
               why.c_str());
  if (gNoWindowHandler != nullptr) EndWithoutWindow();
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

void SetNoWindowHandler(NoWindowHandler handler) {
  gNoWindowHandler = handler;
  if (Win().unavailable) EndWithoutWindow();
}

bool ConsoleIsOpen() { return Win().open; }

void SetWindowTitle(const std::string& title) {
  gTitle = title;
  WindowState& w = Win();
  if (w.open && !w.closing) SDL_SetWindowTitle(w.window, WindowTitle().c_str());
}

void ConsoleOpen() {
  WindowState& w = Win();
  if (w.open || w.unavailable) return;
  EnsureEvents();
  setenv("SDL_VIDEO_X11_WMCLASS", "SnWinCrt", 0);
  std::string why;
  if (!OpenVideo(why)) return NoWindow(why);

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
  OpenFont(cw, ch);

  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN;
  if (!w.settings.normalWindow) flags |= SDL_WINDOW_MAXIMIZED;
  w.window = SDL_CreateWindow(WindowTitle().c_str(), SDL_WINDOWPOS_UNDEFINED,
                              SDL_WINDOWPOS_UNDEFINED, kScreenCols * cw, kScreenRows * ch, flags);
  if (w.window == nullptr) return NoWindow(std::string("SDL_CreateWindow: ") + SDL_GetError());
  SDL_SetWindowMaximumSize(w.window, std::min(kScreenCols * cw, work.w),
                           std::min(kScreenRows * ch, work.h));
  SDL_SetWindowMinimumSize(w.window, 16 * cw, 4 * ch);
  w.renderer = MakeRenderer(w.window);
  if (w.renderer == nullptr) return NoWindow(std::string("SDL_CreateRenderer: ") + SDL_GetError());

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
