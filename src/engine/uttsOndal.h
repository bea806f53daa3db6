// uttsOndal: the top of the own Portuguese engine. Loads the MBROLA voice and the five
// data files, runs one utterance through the text stages, hands the MBROLA input lines
// to MBROLA line by line and moves the samples (16000 Hz, 16-bit, mono) either to the
// audio player, as WAV images of at most 64000 data bytes, or into a WAV file.
// One engine per process, main thread only; the own-engine adapter of the speech manager
// is its caller, `sonela-voz fala --voz motor` another.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mg {

// Starts the engine: MBROLA on the voice registered under `voz` (for example "br4"),
// then the rule, exception, abbreviation, prosody and diphone files (suite paths; an
// empty one is "portug.nrl", "portug.exc", "portug.abr", "portug.pro", "portug.dfn").
// False when any step fails; OndalErro() then tells which data file, when it was one.
// A failed start leaves no MBROLA child behind.
bool OndalInicia(const std::string& voz, std::string regras, std::string excecoes,
                 std::string abreviaturas, std::string prosodia, std::string difones);
// Output WAV file for the next OndalInicia (suite path); empty = the audio player.
void OndalArquivoSaida(const std::string& nome);
// Pitch and duration factors, from the next utterance on.
void OndalFatores(double fatorFrequencia, double fatorDuracao);
// Synthesizes one utterance; returns once its last samples are with the player or in the
// file. False when MBROLA rejected input, failed, or the file could not be written (the
// utterance is still completed as far as possible; MBROLA is started again on the same
// voice). A key that stops the player also ends the utterance: that is no failure.
bool OndalFala(std::string_view texto);
void OndalPara();     // stops the player (nothing in file mode)
bool OndalFalando();  // the player still has sound queued (false in file mode)
// Finishes the output file (sizes in its header), releases the tables and MBROLA.
void OndalTermina();

// The message of the last failed start step ("Erro no arquivo de abreviaturas", ...).
const std::string& OndalErro();
// The voice path MBROLA was started with, after OndalInicia (Linux path).
const std::string& OndalVozMbrola();

// The audio player the engine hands its sound to; the speech manager wires it to snwav.
// Without one, sound outside file mode is dropped.
struct TocadorOndal {
  std::function<void(const uint8_t* imagem, uint32_t tamanho)> toca;  // a WAV image
  std::function<void()> para;
  std::function<bool()> tocando;
  // Whether a key has stopped the player (the utterance then ends).
  std::function<bool()> interrompido;
  // The player's slightly-faster and cut-speech flags, cleared while the engine speaks.
  bool* ligeiramenteRapido = nullptr;
  bool* cortaFala = nullptr;
};
void DefineTocadorOndal(TocadorOndal tocador);

// The engine's only contact with MBROLA: the driver's calls (mbrola.h) unless a test
// puts others in their place.
struct ChamadasMbrola {
  bool (*carrega)();
  void (*descarrega)();
  int (*init)(const char* voz);
  void (*reset)();
  void (*setNoError)(int valor);
  int (*write)(const char* linhas);
  void (*flush)();
  int (*read)(int16_t* destino, int maximo);
  void (*close)();
};
ChamadasMbrola& MbrolaDoMotor();

}  // namespace mg
