// The voice kit's pieces: the symbol table and unit names, sound processing, dial
// tones, the recording list, and espeak-ng's output being the same every time.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>

#include "espeak_voz.h"
#include "gravacoes.h"
#include "som.h"
#include "unidades_kit.h"

namespace mg::kit {
namespace {

// Power of one frequency in a signal (Goertzel), relative to the signal's own power.
double ShareAt(const std::vector<uint8_t>& s, double hz, double rate) {
  double s1 = 0, s2 = 0, energy = 0;
  const double k = 2 * std::cos(2 * std::numbers::pi * hz / rate);
  for (uint8_t b : s) {
    const double x = b - 128.0;
    energy += x * x;
    const double s0 = x + k * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
  return power / (energy * s.size() / 2);
}

TEST(VoiceKitSymbols, ReadsTheTableAndNamesUnits) {
  const auto path = std::filesystem::temp_directory_path() / "mg_vk_symbols.rgr";
  {
    std::ofstream o(path);
    o << "; comment\n"
         ";| sym=A       espeak=a    xsampa=a    kind=vowel      casa\n"
         ";| sym=A+TIL   espeak=&~   xsampa=6~   kind=vowel      campo\n"
         ";| sym=A+CIRC  espeak=&    xsampa=6    kind=vowel      cama\n"
         ";| sym=W       espeak=w    xsampa=w    kind=glide      mau\n"
         ";| sym=W+TIL   espeak=U~   xsampa=w~   kind=glide      pa~o\n"
         ";| sym=K       espeak=k    xsampa=k    kind=consonant  casa\n"
         ";| sym=N       espeak=n    xsampa=n    kind=consonant  nada\n"
         ";| sym=NH      espeak=n^   xsampa=J    kind=consonant  ninho\n"
         ";| sym=T       espeak=t    xsampa=t    kind=consonant  tatu\n"
         ";| sym=TCH     espeak=tS   xsampa=tS   kind=consonant  tia\n"
         "(A)=a\n";
  }
  TabelaSimbolos t;
  ASSERT_TRUE(LeSimbolos(path.string(), t));
  std::filesystem::remove(path);
  EXPECT_EQ(t.size(), 10u);
  EXPECT_EQ(UnidadeParaEspeak("$KA", t), "k'a");
  EXPECT_EQ(UnidadeParaEspeak("$NHA", t), "n^'a");  // longest symbol first
  EXPECT_EQ(UnidadeParaEspeak("$TCHA", t), "tS'a");
  EXPECT_EQ(UnidadeParaEspeak("$KACIRC", t), "k'&");
  EXPECT_EQ(UnidadeParaEspeak("$AWTIL", t), "'&~U~");  // TIL also nasalises the glide
  EXPECT_EQ(UnidadeParaEspeak("$AW", t), "'aw");
  EXPECT_EQ(UnidadeParaEspeak("$K", t), "k");
  EXPECT_FALSE(UnidadeParaEspeak("$KQ", t));
  EXPECT_FALSE(UnidadeParaEspeak("KA", t));
  EXPECT_FALSE(UnidadeParaEspeak("$", t));
  EXPECT_FALSE(LeSimbolos("/nonexistent/regras.rgr", t));
}

TEST(VoiceKitSound, ResampleKeepsAToneAndHalvesTheLength) {
  std::vector<int16_t> in(22050);
  for (size_t i = 0; i < in.size(); ++i)
    in[i] = static_cast<int16_t>(10000 * std::sin(2 * std::numbers::pi * 440 * i / 22050.0));
  const auto out = Resample(in, 22050, 11025);
  ASSERT_EQ(out.size(), 11025u);
  const auto u8 = ToU8(out, 1.0);
  EXPECT_GT(ShareAt(u8, 440, 11025), 0.9);
  // A tone above the new Nyquist frequency is filtered out, not folded back.
  for (size_t i = 0; i < in.size(); ++i)
    in[i] = static_cast<int16_t>(10000 * std::sin(2 * std::numbers::pi * 8000 * i / 22050.0));
  const auto high = Resample(in, 22050, 11025);
  long peak = 0;
  for (size_t i = 100; i + 100 < high.size(); ++i) peak = std::max<long>(peak, std::abs(high[i]));
  EXPECT_LT(peak, 500);
}

TEST(VoiceKitSound, TrimFadeAndConversion) {
  std::vector<int16_t> s(1000, 0);
  for (int i = 400; i < 600; ++i) s[static_cast<size_t>(i)] = 20000;
  auto t = TrimSilence(s, 300, 10);
  EXPECT_EQ(t.size(), 220u);
  Fade(t, 20);
  EXPECT_EQ(t.front(), 0);
  EXPECT_EQ(t.back(), 0);
  EXPECT_TRUE(TrimSilence(std::vector<int16_t>(50, 100), 300, 10).empty());
  const auto u8 = ToU8({-32768, 0, 32767, 256}, 1.0);
  EXPECT_EQ(u8, (std::vector<uint8_t>{0, 128, 255, 129}));
}

TEST(VoiceKitSound, DialTonesAreTheirTwoFrequencies) {
  const auto five = DualTone(770, 1336, 1654, 11025);
  ASSERT_EQ(five.size(), 1654u);
  EXPECT_GT(ShareAt(five, 770, 11025), 0.3);
  EXPECT_GT(ShareAt(five, 1336, 11025), 0.3);
  EXPECT_LT(ShareAt(five, 697, 11025), 0.05);
  EXPECT_LT(ShareAt(five, 1477, 11025), 0.05);
}

TEST(VoiceKitRecordings, EveryNameTheSpeechManagerPlaysIsRecorded) {
  std::set<std::string> names;
  for (const auto& g : Gravacoes()) {
    EXPECT_TRUE(names.insert(g.nome).second) << "twice: " << g.nome;
    EXPECT_TRUE(!g.texto.empty() || g.toneLow > 0) << g.nome;
    EXPECT_LE(g.nome.size(), 8u) << g.nome;
  }
  for (int c = 32; c <= 255; ++c) EXPECT_TRUE(names.count("_" + std::to_string(c))) << c;
  for (const char* n :
       {"_unknown", "_0",       "_12",      "_zero",   "_MENOS",   "_FON9",    "_FON65",
        "_FON122",  "_DEL",     "_APFCPO",  "_APICPO", "_CPOAPA",  "_FALACI",  "_FALDLG",
        "_VELOC",   "_SEMBAT",  "_SEMENER", "_hora",   "_horas",   "_minuto",  "_minutos",
        "_primeir", "_de",      "_e",       "_Sabado", "_Feverei", "_dezeset", "_dezesse",
        "_quatroc", "_milhoes", "_trilhoe", "_uma",    "_duas",    "_cem",     "dtmf_0",
        "dtmf_9",   "dtmf_#",   "dtmf_X"})
    EXPECT_TRUE(names.count(n)) << n;
}

TEST(VoiceKitEspeak, SameInputSameSamples) {
  EspeakVoz voz;
  ASSERT_TRUE(voz.Open(""));
  const auto a = voz.Speak("v\xc3\xadrgula", 170, false);
  const auto b = voz.Speak("k'aza", 190, true);
  const auto a2 = voz.Speak("v\xc3\xadrgula", 170, false);
  const auto b2 = voz.Speak("k'aza", 190, true);
  ASSERT_GT(a.size(), 1000u);
  ASSERT_GT(b.size(), 1000u);
  EXPECT_EQ(a, a2);
  EXPECT_EQ(b, b2);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace mg::kit
