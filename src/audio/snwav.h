// snwav: PCM playback through one SDL audio device, a ring of 16 buffers of 8192 bytes,
// key interruption and the two faster modes.
//
// The device is opened with exactly the format of the sound (no conversion asked of
// SDL's device); a sound of another format waits for the queue to drain and reopens it.
// The SDL callback plays queued blocks in order and hands each finished one back to the
// main thread as message 957, where BlocoTocado frees its buffer. Everything else runs
// on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mg {

// Flags set by the speech manager (and cleared by the own engine while it speaks).
struct SnWavFlags {
  bool keyInterrupt = true;     // a waiting key stops playback
  bool noWait = false;          // TocaArquivo returns without waiting for the end
  bool slightlyFaster = false;  // every sound at 1.5 times its rate
  bool cutSpeech = false;       // prefer "rapido\" files; compress mono sound
};
SnWavFlags& WavFlags();

constexpr int kWavBuffers = 16;
constexpr uint32_t kWavBufferSize = 8192;

// Device error codes, numbered as the suite's wave-output errors always were.
constexpr int kWavErrGeneric = 1;     // the device could not be opened
constexpr int kWavErrBadDevice = 2;   // the chosen output device does not exist
constexpr int kWavErrNoDriver = 6;    // no sound system at all
constexpr int kWavErrBadFormat = 32;  // a format the device cannot play

// Names (cp1252, trimmed) of the output devices, in device order 0..n-1.
void ListaSaidas(std::vector<std::string>& names);
// Device whose name equals `name` without regard to case; false when none does.
bool EscolheSaida(const std::string& name, int& deviceId);
int DispositivoSaida();  // -1 = the system's default output

// Queues the sound block by block and returns once the last block is queued: 0, or the
// device's open error. With the ring full it waits for a free buffer until a waiting key
// stops it, or until the device has taken no sample for 2 s; then the buffers are taken
// back and the rest of the sound is dropped (still 0).
int TocaPCM(const uint8_t* data, uint32_t length, uint32_t rate, uint16_t channels, uint16_t bits);
// A WAV image in memory: 0, -1 when it is not a well-formed PCM image, or a device error.
int TocaMemoria(const uint8_t* image, uint32_t size);
int TocaArquivo(const std::string& path);  // suite path (cp1252); 0, -1, or device error
bool Tocando();
void ParaSom();

// Message 957: `device` is the SDL device the block played on, `header` a token naming
// the buffer (0 = none). Installed as the console's audio handler at the first open.
void BlocoTocado(intptr_t device, intptr_t header);

// Closes the device (the end of the program; tests call it to flush SDL's disk file).
void FechaSaida();

// Pitch-period compression of one block in place (cut-speech mode); returns the new
// length. 16-bit input becomes 8-bit unsigned.
uint32_t ComprimeBloco(uint8_t* data, uint32_t length, uint16_t bits, uint32_t rate);

// Observation points for tests and the latency benchmark. The first three run on the main
// thread; `blockStarted` and `silenceStarted` run on SDL's audio thread, so they must only
// record (set them while no device is open).
struct SnWavTrace {
  std::function<void(const std::string& path)> fileOpened;  // a file TocaArquivo plays
  std::function<void(const uint8_t* data, uint32_t length, int index)> blockQueued;
  std::function<void(uint32_t rate, uint16_t bits, uint16_t channels)> deviceOpened;
  void (*blockStarted)(int index) = nullptr;  // first byte of a block handed to SDL
  void (*silenceStarted)() = nullptr;         // first silent period after sound
};
SnWavTrace& WavTrace();

}  // namespace mg
