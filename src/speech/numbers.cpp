#include "speech/numbers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/fileio.h"
#include "common/paths.h"
#include "common/wavheader.h"
#include "console/console.h"
#include "legacy/sntradut.h"
#include "speech/speech.h"

namespace mg {
namespace {

const char* const kUnits[] = {"um",   "dois", "tres", "quatro", "cinco",
                              "seis", "sete", "oito", "nove"};
const char* const kTeens[] = {"dez",    "onze",      "doze",      "treze",   "quatorze",
                              "quinze", "dezesseis", "dezessete", "dezoito", "dezenove"};
const char* const kTens[] = {"vinte",    "trinta",  "quarenta", "cinquenta",
                             "sessenta", "setenta", "oitenta",  "noventa"};
const char* const kHundreds[] = {"cento",        "duzentos",   "trezentos",
                                 "quatrocentos", "quinhentos", "seiscentos",
                                 "setecentos",   "oitocentos", "novecentos"};
const char* const kScaleOne[] = {"trilh\xe3o ", "bilh\xe3o ", "milh\xe3o ", "mil "};
const char* const kScaleMany[] = {
    "trilh\xf5"
    "es ",
    "bilh\xf5"
    "es ",
    "milh\xf5"
    "es ",
    "mil "};
const char* const kWeekdays[] = {"Domingo", "Segunda", "Terca", "Quarta",
                                 "Quinta",  "Sexta",   "Sabado"};
const char* const kMonths[] = {"Janeiro",  "Fevereiro", "Marco",    "Abril",
                               "Maio",     "Junho",     "Julho",    "Agosto",
                               "Setembro", "Outubro",   "Novembro", "Dezembro"};

constexpr uint32_t kBlockSamples = 30000;
constexpr uint64_t kLargest = 999999999999999ULL;  // 15 digits: up to trillions

std::string GroupWords(const char* d) {
  const int c1 = d[0] - '0', c2 = d[1] - '0', c3 = d[2] - '0';
  if (c1 == 0 && c2 == 0 && c3 == 0) return {};
  if (c1 == 1 && c2 == 0 && c3 == 0) return "cem";
  std::string w;
  if (c1 != 0) {
    w += kHundreds[c1 - 1];
    if (c2 == 0 && c3 == 0) return w;
    w += " e ";
  }
  if (c2 == 1) return w + kTeens[c3];
  if (c2 != 0) {
    w += kTens[c2 - 2];
    if (c3 == 0) return w;
    w += " e ";
  }
  if (c3 != 0) w += kUnits[c3 - 1];
  return w;
}

// The sample block numbers are joined into (header + 30000 bytes), made once.
uint8_t* Block() {
  static uint8_t* block = new uint8_t[kWavHeaderSize + kBlockSamples];
  return block;
}

void PlayBlock(uint32_t fill) {
  uint8_t* b = Block();
  WriteWavHeader(b, fill, 11025, 1, 8);
  PlayWaveBlock(b, kWavHeaderSize + fill);
}

std::string LegacyLetters() {
  std::string d = DiretorioLetras();
  if (!d.empty() && d.back() != '\\' && d.back() != '/') d += '\\';
  return d;
}

// Appends the samples of one word file, playing the block whenever it would overflow.
void AppendWord(const std::string& path, uint32_t& fill) {
  const std::string linuxPath = ToLinuxPath(path);
  const int fd = open(linuxPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= kWavHeaderSize ||
      lseek(fd, kWavHeaderSize, SEEK_SET) != kWavHeaderSize) {
    close(fd);
    return;
  }
  NoteSpeechEvent("word:" + path);
  uint64_t remaining = static_cast<uint64_t>(st.st_size) - kWavHeaderSize;
  if (fill > 0 && fill + remaining > kBlockSamples) {
    PlayBlock(fill);
    fill = 0;
  }
  // A word longer than the block is played in pieces of a full block.
  while (remaining > 0) {
    if (fill == kBlockSamples) {
      PlayBlock(fill);
      fill = 0;
    }
    const uint32_t want =
        static_cast<uint32_t>(std::min<uint64_t>(remaining, kBlockSamples - fill));
    const size_t got = ReadFull(fd, Block() + kWavHeaderSize + fill, want);
    fill += static_cast<uint32_t>(got);
    if (got < want) break;  // the file shrank under us
    remaining -= got;
  }
  close(fd);
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    size_t j = i;
    while (j < text.size() && text[j] != ' ') ++j;
    if (j > i) words.emplace_back(text.substr(i, j - i));
    i = j;
  }
  return words;
}

}  // namespace

std::string NumberToWords(uint64_t n) {
  if (n == 0) return "zero";
  if (n > kLargest) {
    // Past the trillions there are no scale words: say the digits one by one.
    std::string out;
    for (char c : std::to_string(n)) {
      if (!out.empty()) out += ' ';
      out += c == '0' ? "zero" : kUnits[c - '1'];
    }
    return out;
  }
  char digits[16];
  std::snprintf(digits, sizeof digits, "%015llu", static_cast<unsigned long long>(n));
  std::string groups[5];
  int last = 4;
  for (int g = 0; g < 5; ++g) {
    const char* d = digits + 3 * g;
    groups[g] = GroupWords(d);
    if (g < 4 && !groups[g].empty()) {
      const bool one = d[0] == '0' && d[1] == '0' && d[2] == '1';
      groups[g] += ' ';
      groups[g] += one ? kScaleOne[g] : kScaleMany[g];
    }
  }
  for (int g = 4; g >= 0; --g) {
    if (!groups[g].empty()) {
      last = g;
      break;
    }
  }
  std::string out;
  for (int g = 0; g <= 4; ++g) {
    if (g == last && !out.empty()) out += "e ";
    out += groups[g];
  }
  if (out.rfind("um mil", 0) == 0 && out.rfind("um milh", 0) != 0) out.erase(0, 3);
  return out;
}

std::string NumberWordFileName(std::string_view word, bool feminineLast) {
  std::string w(word);
  for (char& c : w) {
    if (static_cast<uint8_t>(c) == 0xE3) c = 'a';  // ã
    if (static_cast<uint8_t>(c) == 0xF5) c = 'o';  // õ
  }
  if (w == "dezessete") w = "dezeset";  // "_dezesse" is sixteen's file
  std::string name = ("_" + w).substr(0, 8);
  if (feminineLast) {
    if (name == "_um") name = "_uma";
    if (name == "_dois") name = "_duas";
  }
  return name;
}

void SpeakNumberWords(std::string_view words, bool feminine) {
  const std::vector<std::string> list = SplitWords(words);
  const std::string dir = LegacyLetters();
  uint32_t fill = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    const bool last = i + 1 == list.size();
    AppendWord(dir + NumberWordFileName(list[i], feminine && last) + ".wav", fill);
  }
  if (fill > 0) PlayBlock(fill);
}

void SpeakTime() {
  int h = 0, m = 0, s = 0, hs = 0;
  NowParts(h, m, s, hs);
  if (h < 0 || h > 23 || m < 0 || m > 59) return;
  SpeakNumberWords(NumberToWords(static_cast<uint64_t>(h)), true);
  PlayRecorded(h < 2 ? "_hora" : "_horas");
  if (m != 0) {
    SpeakNumberWords(NumberToWords(static_cast<uint64_t>(m)), false);
    PlayRecorded(m < 2 ? "_minuto" : "_minutos");
  }
}

void SpeakDate() {
  int year = 0, month = 0, day = 0, weekday = 0;
  TodayParts(year, month, day, weekday);
  if (month < 1 || month > 12 || day < 1 || day > 31 || weekday < 0 || weekday > 6 || year < 0)
    return;
  PlayRecorded(std::string("_") + kWeekdays[weekday]);
  if (day == 1) {
    PlayRecorded("_primeir");
  } else {
    SpeakNumberWords(NumberToWords(static_cast<uint64_t>(day)), false);
  }
  PlayRecorded("_de");
  PlayRecorded(std::string("_").append(std::string_view(kMonths[month - 1]).substr(0, 7)));
  PlayRecorded("_de");
  if (year >= 2000) {
    SpeakNumberWords(NumberToWords(2000), false);
    // Everything past 2000 follows "e": 2026 "dois mil e vinte e seis", and 2100
    // "dois mil e cem" rather than a bare "dois mil e".
    if (year > 2000) {
      PlayRecorded("_e");
      SpeakNumberWords(NumberToWords(static_cast<uint64_t>(year - 2000)), false);
    }
  } else if (year % 100 != 0) {
    SpeakNumberWords(NumberToWords(static_cast<uint64_t>(year % 100)), false);
  }
}

std::vector<std::string> RecordedWordNames() {
  std::vector<std::string> names;
  auto add = [&](const std::string& n) {
    if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
  };
  for (const char* w : kUnits) add(NumberWordFileName(w, false));
  for (const char* w : kTeens) add(NumberWordFileName(w, false));
  for (const char* w : kTens) add(NumberWordFileName(w, false));
  for (const char* w : kHundreds) add(NumberWordFileName(w, false));
  for (const char* w : {"cem", "zero", "e", "mil"}) add(NumberWordFileName(w, false));
  for (int g = 0; g < 3; ++g) {
    add(NumberWordFileName(
        std::string(kScaleOne[g]).substr(0, std::string(kScaleOne[g]).size() - 1), false));
    add(NumberWordFileName(
        std::string(kScaleMany[g]).substr(0, std::string(kScaleMany[g]).size() - 1), false));
  }
  add("_uma");
  add("_duas");
  for (const char* n : {"_hora", "_horas", "_minuto", "_minutos", "_primeir", "_de"}) add(n);
  for (const char* w : kWeekdays) add(std::string("_") + w);
  for (const char* m : kMonths) add(std::string("_").append(std::string_view(m).substr(0, 7)));
  for (const char* n : {"_MENOS", "_FON9", "_unknown"}) add(n);
  return names;
}

}  // namespace mg
