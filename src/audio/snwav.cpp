// The output device and its ring of buffers: opening SDL's device with the sound's own
// format, queuing blocks, the audio callback, and returning finished buffers.

#include "audio/snwav.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "common/cp1252.h"
#include "console/console.h"
#include "console/sysconfig.h"

namespace mg {
namespace {

enum class BufState : uint8_t { Free, Queued, Done };

struct Buffer {
  uint8_t data[kWavBufferSize];
  uint32_t length = 0;
  uint32_t played = 0;  // bytes already handed to SDL (audio thread)
  uint32_t seq = 0;     // bumped whenever the buffer is taken back, so stale notices miss
  std::atomic<BufState> state{BufState::Free};  // Queued -> Done on the audio thread
};

struct Format {
  uint32_t rate = 0;
  uint16_t bits = 0;
  uint16_t channels = 0;
  bool operator==(const Format&) const = default;
};

struct Player {
  // Buffers are allocated once; at most 16 x 8192 bytes are ever in flight.
  Buffer buffers[kWavBuffers + 1];  // indices 1..16, as the buffer tokens name them
  uint8_t work[kWavBufferSize];     // the block being prepared by TocaPCM
  // FIFO of queued buffer indices, shared with the audio callback under SDL's device lock.
  int fifo[kWavBuffers] = {};
  int fifoHead = 0;
  int fifoCount = 0;
  bool soundInLastPeriod = false;  // audio thread only

  SDL_AudioDeviceID device = 0;
  Format format;
  uint8_t silence = 128;
  int deviceId = -1;
  int nextIndex = 0;
  int queued = 0;
  int maxQueued = kWavBuffers;
  bool notificationEnabled = false;
  bool started = false;
  bool audioInitTried = false;
  bool audioAvailable = false;
  bool toldNoDevice = false;
  Format failedFormat;    // last format that failed to open ...
  uint32_t failedAt = 0;  // ... and when, so a missing device is not retried per key
  int failedCode = 0;
  std::atomic<uint32_t> lastProgress{0};  // SDL ticks of the callback's last consumed byte
};

Player& P() {
  static Player* p = new Player;  // lives to the end of the program, like the device
  return *p;
}

constexpr uint32_t kRetryOpenMs = 2000;
constexpr uint32_t kStallMs = 3000;
constexpr uint32_t kFullQueueWaitMs = 2000;

std::string Trim(std::string s) {
  const auto blank = [](unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
  };
  while (!s.empty() && blank(s.back())) s.pop_back();
  size_t i = 0;
  while (i < s.size() && blank(s[i])) ++i;
  return s.substr(i);
}

// Upper case of a cp1252 letter (ASCII and the accented Latin-1 letters).
uint8_t UpperCp1252(uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<uint8_t>(c - 32);
  return c;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperCp1252(static_cast<uint8_t>(a[i])) != UpperCp1252(static_cast<uint8_t>(b[i])))
      return false;
  }
  return true;
}

// The one line the user gets when there is no sound at all: the program goes on silently.
void TellNoSound(const char* why) {
  Player& p = P();
  if (p.toldNoDevice) return;
  p.toldNoDevice = true;
  std::string line =
      "Aviso: sem sa\xed"
      "da de som (";
  line += Utf8ToCp1252(why ? why : "");
  line += "); o programa continua sem voz.\r\n";
  if (CursorColumn() > 1) line = "\r\n" + line;
  ConsoleWrite(line.data(), static_cast<uint16_t>(std::min<size_t>(line.size(), 1000)));
  std::cerr << "minigravador: no audio output: " << (why ? why : "") << "\n";
}

bool EnsureAudio() {
  Player& p = P();
  if (!p.audioInitTried) {
    p.audioInitTried = true;
    p.audioAvailable = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!p.audioAvailable) TellNoSound(SDL_GetError());
  }
  return p.audioAvailable;
}

// Milliseconds since the device last took a sample (or since the queue was last started).
// The stamp is read before the clock, so the audio thread cannot make it look newer.
uint32_t MsSinceProgress() {
  const uint32_t last = P().lastProgress.load(std::memory_order_acquire);
  return SDL_GetTicks() - last;
}

void OnWaveDone(intptr_t first, intptr_t second) { BlocoTocado(first, second); }

intptr_t Token(int index, uint32_t seq) {
  return static_cast<intptr_t>((static_cast<uint64_t>(seq) << 5) | static_cast<uint64_t>(index));
}

void Callback(void*, Uint8* stream, int len) {
  Player& p = P();
  int out = 0;
  bool sounded = false;
  while (out < len && p.fifoCount > 0) {
    const int index = p.fifo[p.fifoHead];
    Buffer& b = p.buffers[index];
    if (b.played == 0 && WavTrace().blockStarted) WavTrace().blockStarted(index);
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(len - out), b.length - b.played);
    std::memcpy(stream + out, b.data + b.played, n);
    b.played += n;
    out += static_cast<int>(n);
    sounded = true;
    if (b.played >= b.length) {
      b.state = BufState::Done;
      p.fifoHead = (p.fifoHead + 1) % kWavBuffers;
      --p.fifoCount;
      HandOver(kMsgWaveDone, static_cast<intptr_t>(p.device), Token(index, b.seq));
    }
  }
  if (out < len) std::memset(stream + out, p.silence, static_cast<size_t>(len - out));
  if (sounded) p.lastProgress.store(SDL_GetTicks(), std::memory_order_release);
  if (!sounded && p.soundInLastPeriod && WavTrace().silenceStarted) WavTrace().silenceStarted();
  p.soundInLastPeriod = sounded;
}

// Frames per SDL period: a power of two near 6 ms, so that a new block (a key's echo)
// reaches the device quickly and a stop silences it quickly.
uint16_t FramesFor(uint32_t rate) {
  uint32_t frames = 32;
  while (frames * 2 <= rate / 160) frames *= 2;
  return static_cast<uint16_t>(std::min<uint32_t>(frames, 4096));
}

bool FormatPlayable(const Format& f) {
  return (f.bits == 8 || f.bits == 16) && f.channels >= 1 && f.channels <= 8 && f.rate >= 1000 &&
         f.rate <= 384000;
}

void CloseDevice() {
  Player& p = P();
  if (p.device == 0) return;
  SDL_CloseAudioDevice(p.device);
  p.device = 0;
  p.fifoCount = 0;
  p.fifoHead = 0;
  for (int i = 1; i <= kWavBuffers; ++i) {
    p.buffers[i].state = BufState::Free;
    ++p.buffers[i].seq;
  }
  p.queued = 0;
}

void Startup();

int OpenDevice() {
  Player& p = P();
  if (p.device != 0) return 0;
  Startup();
  if (!p.notificationEnabled) {
    p.notificationEnabled = true;
    SetAudioHandler(&OnWaveDone, true);
    std::atexit(&FechaSaida);
  }
  if (!FormatPlayable(p.format)) return kWavErrBadFormat;
  if (!EnsureAudio()) return kWavErrNoDriver;
  if (p.failedCode != 0 && p.failedFormat == p.format &&
      SDL_GetTicks() - p.failedAt < kRetryOpenMs) {
    return p.failedCode;
  }
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = static_cast<int>(p.format.rate);
  want.format = p.format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(p.format.channels);
  want.samples = FramesFor(p.format.rate);
  want.callback = &Callback;
  const char* name = nullptr;
  if (p.deviceId >= 0) {
    name = SDL_GetAudioDeviceName(p.deviceId, 0);
    if (!name) {
      p.failedCode = kWavErrBadDevice;
      p.failedFormat = p.format;
      p.failedAt = SDL_GetTicks();
      TellNoSound(SDL_GetError());
      return kWavErrBadDevice;
    }
  }
  p.device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
  if (p.device == 0) {
    p.failedCode = kWavErrGeneric;
    p.failedFormat = p.format;
    p.failedAt = SDL_GetTicks();
    TellNoSound(SDL_GetError());
    return kWavErrGeneric;
  }
  p.failedCode = 0;
  p.silence = have.silence;
  p.fifoHead = 0;
  p.fifoCount = 0;
  p.soundInLastPeriod = false;
  p.lastProgress.store(SDL_GetTicks(), std::memory_order_release);
  if (WavTrace().deviceOpened)
    WavTrace().deviceOpened(p.format.rate, p.format.bits, p.format.channels);
  SDL_PauseAudioDevice(p.device, 0);
  return 0;
}

int SetFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
  Player& p = P();
  const Format f{rate, bits, channels};
  if (!(f == p.format)) {
    while (Tocando()) WaitMessage(50);
    CloseDevice();
    p.format = f;
  }
  return OpenDevice();
}

// Queues one block; false when it was dropped (queue stuck, device gone).
bool QueueBlock(const uint8_t* data, uint32_t length) {
  Player& p = P();
  if (p.queued >= p.maxQueued) {
    const uint32_t deadline = SDL_GetTicks() + kFullQueueWaitMs;
    while (p.queued >= p.maxQueued && static_cast<int32_t>(deadline - SDL_GetTicks()) > 0) {
      PumpMessages();
      WaitMessage(50);
    }
    if (p.queued >= p.maxQueued) return false;
  }
  if (p.device == 0) return false;
  const int index = p.nextIndex % kWavBuffers + 1;
  Buffer& b = p.buffers[index];
  if (b.state != BufState::Free) return false;
  p.nextIndex = index;

  length = std::min(length, kWavBufferSize);
  std::memcpy(b.data, data, length);
  const bool mono8 = p.format.bits == 8 && p.format.channels == 1;
  if (mono8) {
    // Short blocks end on silence and are at least 256 bytes, so that a lone key echo
    // is neither cut nor clicks.
    if (length < kWavBufferSize && length > 0) b.data[length - 1] = 128;
    if (length < 256) {
      std::memset(b.data + length, 128, 256 - length);
      length = 256;
    }
  } else {
    const uint32_t frame = static_cast<uint32_t>(p.format.channels) * (p.format.bits / 8);
    length -= length % frame;  // a trailing part frame would shift every later sample
    if (length == 0) return true;
  }
  b.length = length;
  b.played = 0;
  ++b.seq;
  b.state = BufState::Queued;
  if (WavTrace().blockQueued) WavTrace().blockQueued(b.data, b.length, index);
  SDL_LockAudioDevice(p.device);
  if (p.fifoCount == 0) p.lastProgress.store(SDL_GetTicks(), std::memory_order_release);
  p.fifo[(p.fifoHead + p.fifoCount) % kWavBuffers] = index;
  ++p.fifoCount;
  SDL_UnlockAudioDevice(p.device);
  ++p.queued;
  return true;
}

void Startup() {
  Player& p = P();
  if (p.started) return;
  p.started = true;
  const std::string name =
      Trim(ReadProfileString("TRADUTOR", "SAIDADEAUDIO", "", IniDirectory() + "\\Sonela.ini", 81));
  if (!name.empty()) {
    int id = -1;
    if (EscolheSaida(name, id)) p.deviceId = id;
  }
}

}  // namespace

SnWavFlags& WavFlags() {
  static SnWavFlags flags;
  return flags;
}

SnWavTrace& WavTrace() {
  static SnWavTrace trace;
  return trace;
}

void ListaSaidas(std::vector<std::string>& names) {
  names.clear();
  if (!EnsureAudio()) return;
  const int n = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < n; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    names.push_back(Trim(Utf8ToCp1252(name ? name : "")));
  }
}

bool EscolheSaida(const std::string& name, int& deviceId) {
  std::vector<std::string> names;
  ListaSaidas(names);
  const std::string wanted = Trim(name);
  for (size_t i = 0; i < names.size(); ++i) {
    if (EqualNoCase(names[i], wanted)) {
      deviceId = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

int DispositivoSaida() {
  Startup();
  return P().deviceId;
}

int TocaPCM(const uint8_t* data, uint32_t length, uint32_t rate, uint16_t channels, uint16_t bits) {
  Player& p = P();
  SnWavFlags& flags = WavFlags();
  if (flags.slightlyFaster) rate = static_cast<uint32_t>(static_cast<uint64_t>(rate) * 3 / 2);
  const bool compress = flags.cutSpeech && channels == 1;
  const uint16_t deviceBits = (flags.cutSpeech && bits == 16 && channels == 1) ? 8 : bits;
  if (const int r = SetFormat(rate, deviceBits, channels); r != 0) return r;
  uint32_t pos = 0;
  while (pos < length) {
    while (p.queued >= p.maxQueued) {
      if (flags.keyInterrupt && KeyWaiting()) {
        ParaSom();
        return 0;
      }
      if (MsSinceProgress() > kFullQueueWaitMs) {
        // The ring is full and the device has taken no sample for 2 s: it will not give a
        // buffer back. Take them all back and drop the rest of this sound.
        std::cerr << "minigravador: the audio output stopped taking sound\n";
        ParaSom();
        return 0;
      }
      WaitMessage(10);
      if (p.device == 0) return 0;
    }
    if (flags.keyInterrupt && KeyWaiting()) {
      ParaSom();
      break;
    }
    const uint32_t n = std::min(length - pos, kWavBufferSize);
    std::memcpy(p.work, data + pos, n);
    uint32_t m = n;
    if (compress) m = ComprimeBloco(p.work, n, bits, rate);
    if (m > 0) QueueBlock(p.work, m);
    pos += n;
  }
  return 0;
}

bool Tocando() {
  Player& p = P();
  PumpMessages();
  if ((WavFlags().keyInterrupt && KeyWaiting()) || p.queued == 0) {
    ParaSom();
  } else if (p.device != 0 && MsSinceProgress() > kStallMs) {
    // The device stopped taking samples (sound server gone): give the buffers back so
    // that no wait hangs on them.
    ParaSom();
  }
  return p.queued > 0;
}

void ParaSom() {
  Player& p = P();
  if (p.device == 0) return;
  if (p.queued > 0) {
    // Reset: the callback plays silence from its next period on; every buffer comes back
    // at once. Notices of the old blocks still in the message queue no longer match.
    SDL_LockAudioDevice(p.device);
    p.fifoCount = 0;
    p.fifoHead = 0;
    SDL_UnlockAudioDevice(p.device);
    for (int i = 1; i <= kWavBuffers; ++i) {
      if (p.buffers[i].state != BufState::Free) {
        p.buffers[i].state = BufState::Free;
        ++p.buffers[i].seq;
      }
    }
    p.queued = 0;
  }
  PumpMessages();
}

void BlocoTocado(intptr_t device, intptr_t header) {
  Player& p = P();
  if (header == 0) return;
  const int index = static_cast<int>(static_cast<uint64_t>(header) & 31);
  const uint32_t seq = static_cast<uint32_t>(static_cast<uint64_t>(header) >> 5);
  if (index < 1 || index > kWavBuffers) return;
  Buffer& b = p.buffers[index];
  // A notice from a closed device, or for a buffer ParaSom already took back, is stale.
  if (device != static_cast<intptr_t>(p.device) || p.device == 0 || b.seq != seq) return;
  if (b.state == BufState::Queued) {
    // The block is still being played: the notice cannot be honoured.
    const char* text = "The data block pointed to by the pwh parameter is still in queue";
    std::string line = std::string(text) + "\r\n";
    ConsoleWrite(line.data(), static_cast<uint16_t>(line.size()));
    char answer[82];
    ConsoleReadLine(answer, sizeof answer);
    return;
  }
  if (b.state != BufState::Done) return;
  b.state = BufState::Free;
  p.queued = std::max(0, p.queued - 1);
}

void FechaSaida() {
  Player& p = P();
  if (p.device == 0) return;
  CloseDevice();
  p.format = Format{};
}

}  // namespace mg
