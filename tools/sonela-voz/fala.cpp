// sonela-voz fala --voz motor TEXTO -o saida.wav: the own engine (fala_motor.cpp).
// --velocidade N (1-5) speaks at speed index N for every voice, as the program does
// after Ctrl+F4 and N.
// sonela-voz fala --voz legado TEXTO -o saida.wav: speaks a text through the legacy voice
// (rule translation and unit concatenation) into a WAV file, as the legacy speaking path
// does: runs of letters through the translator, digits and other characters from their
// letter recordings, punctuation spoken and followed by its pause.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "common/paths.h"
#include "common/wavheader.h"
#include "legacy/sninter.h"
#include "legacy/sntradut.h"
#include "legacy/unidades.h"
#include "speech/config.h"
#include "subcommand.h"

namespace mg::voz {
int FalaSistema(int argc, char** argv);  // fala_sistema.cpp: the system voices
}  // namespace mg::voz

int mg::voz::IndiceDeVelocidade(const std::string& valor) {
  if (valor.size() == 1 && valor[0] >= '1' && valor[0] <= '5') return valor[0] - '0';
  std::fprintf(stderr, "fala: --velocidade quer um \xc3\xadndice de 1 a 5, n\xc3\xa3o \"%s\"\n",
               valor.c_str());
  return 0;
}

namespace {

std::vector<uint8_t> g_samples;

void AppendBlock(const unsigned char* block, unsigned size) {
  if (size > static_cast<unsigned>(mg::kWavHeaderSize))
    g_samples.insert(g_samples.end(), block + mg::kWavHeaderSize, block + size);
}

void Recording(const std::string& name) {
  const auto s = mg::ReadWavU8Mono(mg::ToLinuxPath(mg::DiretorioLetras() + name + ".wav"));
  if (s) g_samples.insert(g_samples.end(), s->begin(), s->end());
}

int g_pausePoint = 250, g_pauseComma = 150, g_pauseColon = 200;

void Pause(int ms) {
  g_samples.insert(g_samples.end(), static_cast<size_t>(ms) * 11025 / 1000, 128);
}

bool InRun(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' || c >= 128;
}

void Speak(const std::string& text) {
  const std::string t = text + " ";
  size_t i = 0;
  while (i < t.size()) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    if (InRun(c) && !(c == ' ' && (i + 1 == t.size()))) {
      size_t j = i;
      while (j < t.size() && InRun(static_cast<unsigned char>(t[j]))) ++j;
      mg::FalaFonemas(mg::TraduzTexto(t.substr(i, std::min<size_t>(j - i, 999))));
      i = j;
      // A hyphen between two words is not spoken.
      if (i + 1 < t.size() && t[i] == '-' && InRun(static_cast<unsigned char>(t[i + 1])) &&
          t[i + 1] != ' ')
        ++i;
      continue;
    }
    const bool blankAfter = i + 1 < t.size() && t[i + 1] == ' ';
    if (c == '\t') {
      Recording("_FON9");
    } else if (c == ' ' || c == '\r' || c == '\n') {
    } else if (c < 32 && c != 0 && c != 12) {
    } else {
      Recording(std::string("_").append(std::to_string(c)));
      if (c == '.' && blankAfter) Pause(g_pausePoint);
      if ((c == ',' || c == '-') && blankAfter) Pause(g_pauseComma);
      if (c == '(' || c == ')' || c == ':' || c == ';') Pause(g_pauseColon);
    }
    ++i;
  }
}

int Fala(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string v = argv[i + 1];
    // The system voices read their own options.
    if (std::strcmp(argv[i], "--voz") == 0 && (v == "espeak" || v == "sd" || v == "sd54"))
      return mg::voz::FalaSistema(argc, argv);
  }
  std::string voz, out, text, letras, difones, dados;
  int corte = 400, sobra = 0, interpal = 100, indice = 0;
  bool corteDado = false, sobraDada = false, pausaDada = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (a == "--voz")
      voz = next();
    else if (a == "-o")
      out = next();
    else if (a == "--letras")
      letras = next();
    else if (a == "--difones")
      difones = next();
    else if (a == "--dados")
      dados = next();
    else if (a == "--corte")
      corte = std::atoi(next().c_str()), corteDado = true;
    else if (a == "--sobra")
      sobra = std::atoi(next().c_str()), sobraDada = true;
    else if (a == "--pausa")
      interpal = std::atoi(next().c_str()), pausaDada = true;
    else if (a == "--velocidade") {
      if ((indice = mg::voz::IndiceDeVelocidade(next())) == 0) return 2;
    } else if (!a.empty() && a[0] == '-' && a.size() > 1) {
      std::fprintf(stderr, "fala: op\xc3\xa7\xc3\xa3o desconhecida %s\n", a.c_str());
      return 2;
    } else {
      text += (text.empty() ? "" : " ") + a;
    }
  }
  if (voz == "motor" && !out.empty()) return mg::voz::FalaMotor(text, out, dados, indice);
  if (voz != "legado" || out.empty()) {
    std::fprintf(stderr, "uso: sonela-voz fala --voz legado|motor TEXTO -o saida.wav\n");
    return 2;
  }
  const int rc = (letras.empty() && difones.empty())
                     ? mg::IniciaTradutor()
                     : mg::IniciaTradutorEm(mg::Utf8ToCp1252(letras), mg::Utf8ToCp1252(difones));
  if (rc != 0) {
    std::fprintf(stderr, "Erro de inicializa\xc3\xa7\xc3\xa3o: %d\nBanco de dados de voz: %s\n", rc,
                 mg::NomeBancoDeVoz().c_str());
    mg::FechaTradutor();
    return 1;
  }
  if (indice != 0) {
    // The speed index's SINTETIZADOR values, as SpeechInit hands them on.
    const mg::VoiceParameters v = mg::ReadVoiceParameters(indice);
    if (!corteDado) corte = v.trim;
    if (!sobraDada) sobra = v.minimum;
    if (!pausaDada) interpal = v.pauseWords;
    g_pausePoint = v.pausePoint;
    g_pauseComma = v.pauseComma;
    g_pauseColon = v.pauseColon;
  }
  mg::AjustaParametros(corte, sobra, interpal);
  mg::SetBlockPlayer(AppendBlock);
  g_samples.clear();
  Speak(mg::Utf8ToCp1252(text));
  mg::FechaTradutor();
  const auto wav = mg::MakeWav(g_samples, 11025, 1, 8);
  std::ofstream o(out, std::ios::binary);
  o.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
  if (!o) {
    std::fprintf(stderr, "fala: n\xc3\xa3o foi poss\xc3\xadvel gravar %s\n", out.c_str());
    return 1;
  }
  std::printf("%zu amostras\n", g_samples.size());
  return 0;
}

mg::voz::Register r("fala", Fala,
                    "--voz legado TEXTO -o saida.wav [--velocidade 1-5] [--letras DIR "
                    "--difones DIR] [--corte N --sobra N --pausa N]\n"
                    "       fala --voz motor TEXTO -o saida.wav [--velocidade 1-5] [--dados DIR]\n"
                    "       fala --voz espeak|sd|sd54 TEXTO [-o saida.wav] "
                    "[--numero N --velocidade 1-5 --tom N]");

}  // namespace
