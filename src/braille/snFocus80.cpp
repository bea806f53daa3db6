// The only file that talks to BrlAPI.
//
// Tty mode: the client takes the tty path that libbrlapi builds from WINDOWPATH or
// XDG_VTNR (the virtual terminal of the graphical session) with nothing appended. It
// is then shown whenever that terminal is the one in front, which is what a program
// with its own speech and its own window wants; no X focus teller is needed.
//
// libbrlapi writes to its socket without MSG_NOSIGNAL, so every call that may write is
// made with SIGPIPE blocked for the calling thread and a pending SIGPIPE is taken back
// afterwards; a vanished BRLTTY then shows as a failed call. After the connection is
// made, the socket gets send and receive timeouts so that no later call waits without
// a deadline.
#include "braille/snFocus80.h"

#include <brlapi.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "braille/dots.h"
#include "braille/keys.h"
#include "braille/translate.h"
#include "console/console.h"

namespace mg {
namespace {

constexpr auto kOpenDeadline = std::chrono::milliseconds(3000);
constexpr int kSocketTimeoutMs = 1000;

// Blocks SIGPIPE on this thread for the guard's life; a SIGPIPE raised meanwhile is
// taken back before the mask is restored.
class NoSigpipe {
 public:
  NoSigpipe() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe, &old_);
  }
  ~NoSigpipe() {
    sigset_t pending;
    sigpending(&pending);
    if (!wasPending_ && sigismember(&pending, SIGPIPE) == 1) {
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      const timespec none{0, 0};
      sigtimedwait(&pipe, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  NoSigpipe(const NoSigpipe&) = delete;
  NoSigpipe& operator=(const NoSigpipe&) = delete;

 private:
  sigset_t old_;
  bool wasPending_ = false;
};

struct HandleFree {
  void operator()(brlapi_handle_t* h) const { std::free(h); }
};
using Handle = std::unique_ptr<brlapi_handle_t, HandleFree>;

// An asynchronous error of the server (reported for writes) ends the connection; the
// default handler would abort the program.
void BRLAPI_STDCALL OnException(brlapi_handle_t*, int, brlapi_packetType_t, const void*, size_t) {}

void CloseHandle(Handle& h) {
  if (!h) return;
  NoSigpipe guard;
  brlapi__closeConnection(h.get());
  h.reset();
}

// The connection's first steps, made by an opening thread. The result travels to the
// main thread through the hand-over queue (the message's first value is the pointer),
// which owns it from then on; a result nobody waits for any more closes its connection.
struct Opening {
  ~Opening() { CloseHandle(handle); }
  uint64_t attempt = 0;
  Handle handle;
  int fd = -1;
  int cells = 0;
  std::string driver;
};

void Connect(Opening& o) {
  NoSigpipe guard;
  Handle h(static_cast<brlapi_handle_t*>(std::malloc(brlapi_getHandleSize())));
  if (!h) return;
  const int fd = brlapi__openConnection(h.get(), nullptr, nullptr);
  if (fd < 0) return;  // the connection is not open: nothing to close
  brlapi__setExceptionHandler(h.get(), OnException);
  unsigned int x = 0, y = 0;
  // No cells: BRLTTY runs without a display (or it is still being connected). Tty mode
  // is not entered then.
  if (brlapi__getDisplaySize(h.get(), &x, &y) < 0 || x == 0 || y == 0 || x * y > 1000) {
    CloseHandle(h);
    return;
  }
  char name[BRLAPI_MAXNAMELENGTH + 1] = {0};
  if (brlapi__getDriverName(h.get(), name, sizeof name) < 0) name[0] = 0;
  name[BRLAPI_MAXNAMELENGTH] = 0;
  if (brlapi__enterTtyModeWithPath(h.get(), nullptr, 0, nullptr) < 0) {
    CloseHandle(h);
    return;
  }
  // Typed dots come as dots (the key translator decodes them), not as characters of
  // BRLTTY's text table. Only the keys the console uses are taken; every other command
  // stays with BRLTTY.
  const brlapi_param_retainDots_t retain = 1;
  brlapi__setParameter(h.get(), BRLAPI_PARAM_RETAIN_DOTS, 0, BRLAPI_PARAMF_LOCAL, &retain,
                       sizeof retain);
  brlapi_keyCode_t none = 0;
  brlapi__ignoreKeys(h.get(), brlapi_rangeType_all, &none, 0);
  const brlapi_keyCode_t passDots = BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_PASSDOTS;
  const brlapi_keyCode_t keys[] = {
      BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_LNUP,     BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_LNDN,
      BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_TOP,      BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_BOT,
      BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_TOP_LEFT, BRLAPI_KEY_TYPE_CMD | BRLAPI_KEY_CMD_BOT_LEFT,
      BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_LINEFEED, BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_BACKSPACE,
      BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_ESCAPE,   BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_HOME,
      BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_END,      BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_UP,
      BRLAPI_KEY_TYPE_SYM | BRLAPI_KEY_SYM_DOWN};
  if (brlapi__acceptKeys(h.get(), brlapi_rangeType_command, &passDots, 1) < 0 ||
      brlapi__acceptKeys(h.get(), brlapi_rangeType_key, keys, sizeof keys / sizeof keys[0]) < 0) {
    CloseHandle(h);
    return;
  }
  const timeval limit{kSocketTimeoutMs / 1000, (kSocketTimeoutMs % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  o.handle = std::move(h);
  o.fd = fd;
  o.cells = static_cast<int>(x * y);
  o.driver = name;
}

// The opening thread: waits `delay` (a reconnection's back-off), connects, hands the
// result over. It touches nothing of the main thread's.
void RunOpening(uint32_t message, uint64_t attempt, std::chrono::milliseconds delay) {
  if (delay.count() > 0) std::this_thread::sleep_for(delay);
  auto o = std::make_unique<Opening>();
  o->attempt = attempt;
  Connect(*o);
  HandOver(message, reinterpret_cast<intptr_t>(o.release()), 0);
}

// The display while it is active.
struct Display {
  Handle handle;
  int fd = -1;
  int cells = 0;
  std::string description;
  std::vector<uint8_t> shown;  // the cells last written
  BrailleTranslator translator;
  DisplayKeys keys;
  uint32_t keyMessage = 0;
};
Display gDisplay;

// Opening attempts: the number of the one the main thread awaits (0: none), and the
// back-off of reconnection after a display was lost (0: not reconnecting).
uint32_t gOpenedMessage = 0;
uint64_t gAttempts = 0;
uint64_t gAwaited = 0;
std::chrono::milliseconds gBackOff{0};
constexpr std::chrono::milliseconds kFirstBackOff{500};
constexpr std::chrono::milliseconds kMaxBackOff{8000};

void ShowRow(const uint8_t* row80);
void OnReadable();
void TranslateKey(intptr_t first, intptr_t second, uint8_t& character, uint8_t& extended);

// Starts an opening thread; false when no thread could be made.
bool StartOpening(std::chrono::milliseconds delay) {
  // The thread starts with SIGPIPE blocked, so that a broken connection cannot end the
  // program even before its own guard is up.
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &old);
  bool started = true;
  try {
    std::thread(RunOpening, gOpenedMessage, ++gAttempts, delay).detach();
    gAwaited = gAttempts;
  } catch (const std::system_error&) {
    started = false;
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return started;
}

// The next reconnection attempt, each one waiting twice as long as the last.
void Reconnect() {
  gBackOff = gBackOff.count() == 0 ? kFirstBackOff : std::min(gBackOff * 2, kMaxBackOff);
  if (!StartOpening(gBackOff)) gBackOff = std::chrono::milliseconds(0);
}

// The connection failed or BRLTTY went away: the console works on without a display,
// and a display that was active is looked for again.
void Deactivate() {
  const bool wasActive = static_cast<bool>(gDisplay.handle);
  SetBrailleRowSink(nullptr);
  SetBrailleKeySlot(nullptr, false);
  WatchFileDescriptor(-1, nullptr);
  CloseHandle(gDisplay.handle);
  gDisplay.fd = -1;
  gDisplay.cells = 0;
  gDisplay.description.clear();
  gDisplay.shown.clear();
  if (wasActive && gAwaited == 0) Reconnect();
}

void Activate(Opening& o) {
  gDisplay.handle = std::move(o.handle);
  gDisplay.fd = o.fd;
  gDisplay.cells = o.cells;
  gDisplay.description = o.driver + " " + std::to_string(o.cells);
  gDisplay.shown.clear();
  gDisplay.keys = DisplayKeys();
  SetBrailleRowSink(ShowRow);
  SetBrailleKeySlot(TranslateKey, true);
  WatchFileDescriptor(gDisplay.fd, OnReadable);
  // Show the cursor's row at once rather than a blank display.
  uint8_t row[kScreenCols];
  for (int c = 0; c < kScreenCols; ++c) row[c] = ScreenCharAt(c + 1, CursorRow());
  ShowRow(row);
}

// An opening thread's result, on the main thread while messages are serviced.
void OnOpened(uint32_t, intptr_t first, intptr_t) {
  std::unique_ptr<Opening> o(reinterpret_cast<Opening*>(first));
  if (!o || o->attempt != gAwaited) return;  // given up on: its connection closes here
  gAwaited = 0;
  if (o->handle && !gDisplay.handle) {
    gBackOff = std::chrono::milliseconds(0);
    Activate(*o);
  } else if (gBackOff.count() > 0) {
    Reconnect();
  }
}

void ShowRow(const uint8_t* row80) {
  if (!gDisplay.handle || row80 == nullptr) return;
  std::vector<uint8_t> cells = RowCells(gDisplay.translator, row80, gDisplay.cells);
  if (cells == gDisplay.shown) return;
  int written;
  {
    NoSigpipe guard;
    written = brlapi__writeDots(gDisplay.handle.get(), cells.data());
  }
  if (written < 0) {
    Deactivate();
    return;
  }
  gDisplay.shown = std::move(cells);
}

void OnReadable() {
  if (!gDisplay.handle) return;
  for (;;) {
    brlapi_keyCode_t code = 0;
    int got;
    {
      NoSigpipe guard;
      got = brlapi__readKey(gDisplay.handle.get(), 0, &code);
    }
    if (got == 0) return;
    if (got < 0) {
      if (brlapi_errno == BRLAPI_ERROR_LIBCERR && brlapi_libcerrno == EINTR) return;
      Deactivate();
      return;
    }
    for (const DisplayEvent& e : EventsOfBrlapiKey(code)) {
      PostConsoleMessage(gDisplay.keyMessage, e.type, e.value);
    }
  }
}

void TranslateKey(intptr_t first, intptr_t second, uint8_t& character, uint8_t& extended) {
  gDisplay.keys.Translate(first, second, character, extended);
}

}  // namespace

void InstallBrailleDisplay() {
  SetBrailleDisplayOpener([] { OpenBrailleDisplay(); });
}

bool OpenBrailleDisplay() {
  if (gDisplay.handle) return true;
  gDisplay.keyMessage = RegisterConsoleMessage(kMsgBrailleName);
  gOpenedMessage = RegisterConsoleMessage("mgBrailleOpened");
  SetMessageHandler(gOpenedMessage, OnOpened);
  if (gAwaited == 0 && !StartOpening(std::chrono::milliseconds(0))) return false;
  // The wait services messages like every other wait; the result arrives as one.
  const uint64_t mine = gAwaited;
  const auto deadline = std::chrono::steady_clock::now() + kOpenDeadline;
  while (gAwaited == mine && !gDisplay.handle) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      gAwaited = 0;  // a late answer closes its own connection
      break;
    }
    WaitMessage(static_cast<int>(left.count()));
  }
  return BrailleDisplayActive();
}

bool BrailleDisplayActive() { return static_cast<bool>(gDisplay.handle); }
std::string BrailleDisplayDescription() { return gDisplay.description; }
int BrailleDisplayCells() { return gDisplay.cells; }

}  // namespace mg
