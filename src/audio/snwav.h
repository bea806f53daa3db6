// snwav: PCM playback through one SDL audio device, a ring of 16 buffers of 8192 bytes,
// key interruption and the two faster modes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mg {

// Flags set by the speech manager (and cleared by the own engine while it speaks).
struct SnWavFlags {
  bool keyInterrupt = true;
  bool noWait = false;
  bool slightlyFaster = false;
  bool cutSpeech = false;
};
SnWavFlags& WavFlags();

void ListaSaidas(std::vector<std::string>& names);
bool EscolheSaida(const std::string& name, int& deviceId);
int DispositivoSaida();

int TocaPCM(const uint8_t* data, uint32_t length, uint32_t rate, uint16_t channels,
            uint16_t bits);
int TocaMemoria(const uint8_t* image, uint32_t size);
int TocaArquivo(const std::string& path);  // suite path (cp1252); 0, -1, or device error
bool Tocando();
void ParaSom();

}  // namespace mg
