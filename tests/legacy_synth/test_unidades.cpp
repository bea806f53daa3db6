// The database reader, the WAV reader and start-up of the synthesizer with good and bad
// files: bad input gives the start-up error code or a unit that is not found.
#include <cstdlib>

#include "console/sysconfig.h"
#include "synth_fixture.h"

namespace mg::test {
namespace {

std::vector<uint8_t> Record(std::string_view name, uint16_t len, uint32_t off, int nameLen = -1) {
  std::vector<uint8_t> r(15, 0);
  r[0] = static_cast<uint8_t>(nameLen < 0 ? name.size() : static_cast<size_t>(nameLen));
  for (size_t i = 0; i < name.size() && i < 8; ++i) r[1 + i] = static_cast<uint8_t>(name[i]);
  r[9] = len & 0xff;
  r[10] = len >> 8;
  for (int i = 0; i < 4; ++i) r[11 + i] = (off >> (8 * i)) & 0xff;
  return r;
}

TEST(UnitIndex, BuildsSortedRecordsAndFindsThem) {
  std::vector<uint8_t> ind, dif;
  BuildUnitDatabase({{"$ka", std::vector<uint8_t>(3, 1)},
                     {"$A", std::vector<uint8_t>(2, 2)},
                     {"$KAZA", std::vector<uint8_t>(4, 3)},
                     {"$KA", std::vector<uint8_t>(9, 9)}},  // a duplicate name: the first wins
                    ind, dif);
  ASSERT_EQ(ind.size(), 3u * 15);
  EXPECT_EQ(dif.size(), 9u);
  UnitIndex index;
  ASSERT_TRUE(index.Parse(ind.data(), ind.size(), dif.size()));
  ASSERT_EQ(index.Count(), 3u);
  // Byte order, a prefix first.
  EXPECT_EQ(index.Records()[0].name, "$A");
  EXPECT_EQ(index.Records()[1].name, "$KA");
  EXPECT_EQ(index.Records()[2].name, "$KAZA");
  const UnitRecord* ka = index.Find("$KA");
  ASSERT_NE(ka, nullptr);
  EXPECT_EQ(ka->length, 3u);
  EXPECT_EQ(dif[ka->offset], 1);
  EXPECT_EQ(index.Find("$K"), nullptr);
  EXPECT_EQ(index.Find("$KAZ"), nullptr);
  EXPECT_EQ(index.Find("$ka"), nullptr) << "names are stored upper case";
}

TEST(UnitIndex, RejectsBadRecordsAndSizes) {
  std::vector<uint8_t> ind;
  for (const auto& r : {Record("$B", 10, 0), Record("$A", 10, 95), Record("$C", 10, 0, 9),
                        Record("$D", 10, 0xFFFFFFF0u)})
    ind.insert(ind.end(), r.begin(), r.end());
  UnitIndex index;
  ASSERT_TRUE(index.Parse(ind.data(), ind.size(), 100));
  EXPECT_EQ(index.Count(), 1u);  // $A runs past the data, $C's name is too long, $D overflows
  EXPECT_EQ(index.Rejected(), 3u);
  EXPECT_NE(index.Find("$B"), nullptr);
  EXPECT_EQ(index.Find("$A"), nullptr);
  // An unsorted index still finds every unit.
  std::vector<uint8_t> unsorted;
  for (const auto& r : {Record("$Z", 1, 0), Record("$M", 1, 1), Record("$A", 1, 2)})
    unsorted.insert(unsorted.end(), r.begin(), r.end());
  ASSERT_TRUE(index.Parse(unsorted.data(), unsorted.size(), 3));
  EXPECT_NE(index.Find("$A"), nullptr);
  EXPECT_NE(index.Find("$M"), nullptr);
  EXPECT_NE(index.Find("$Z"), nullptr);
  EXPECT_FALSE(index.Parse(ind.data(), ind.size() - 1, 100));
  EXPECT_EQ(index.Count(), 0u);
}

std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> c(id, id + 4);
  const uint32_t n = static_cast<uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) c.push_back((n >> (8 * i)) & 0xff);
  c.insert(c.end(), body.begin(), body.end());
  if (n & 1) c.push_back(0);
  return c;
}

std::vector<uint8_t> Fmt(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = channels * bits / 8;
  const uint32_t bps = rate * align;
  return {1,
          0,
          uint8_t(channels),
          0,
          uint8_t(rate),
          uint8_t(rate >> 8),
          uint8_t(rate >> 16),
          0,
          uint8_t(bps),
          uint8_t(bps >> 8),
          uint8_t(bps >> 16),
          0,
          uint8_t(align),
          0,
          uint8_t(bits),
          0};
}

std::vector<uint8_t> Riff(std::initializer_list<std::vector<uint8_t>> chunks) {
  std::vector<uint8_t> w = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const auto& c : chunks) w.insert(w.end(), c.begin(), c.end());
  return w;
}

TEST(WavReader, ReadsAndConvertsPcm) {
  const std::vector<uint8_t> s8 = {1, 2, 3, 250};
  auto wav = Riff({Chunk("fmt ", Fmt(1, 11025, 8)), Chunk("LIST", {1, 2, 3}), Chunk("data", s8)});
  auto got = DecodeWavU8Mono(wav.data(), wav.size());
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, s8);
  // Lower-case identifiers are accepted.
  auto lower = Riff({Chunk("fmt ", Fmt(1, 11025, 8)), Chunk("DATA", s8)});
  lower[0] = 'r';
  EXPECT_TRUE(DecodeWavU8Mono(lower.data(), lower.size()));
  // 16-bit stereo at 22050: half as many samples, channels mixed, full scale kept.
  std::vector<uint8_t> s16;
  for (int i = 0; i < 8; ++i) {
    const int16_t v = (i % 2) ? 16384 : -16384;  // alternating frames
    for (int ch = 0; ch < 2; ++ch) {
      s16.push_back(uint8_t(v & 0xff));
      s16.push_back(uint8_t((v >> 8) & 0xff));
    }
  }
  wav = Riff({Chunk("fmt ", Fmt(2, 22050, 16)), Chunk("data", s16)});
  got = DecodeWavU8Mono(wav.data(), wav.size());
  ASSERT_TRUE(got);
  ASSERT_EQ(got->size(), 4u);
  EXPECT_EQ((*got)[0], 128 - 64);  // -0.5 of full scale
}

TEST(WavReader, BrokenFilesAreNotFound) {
  const std::vector<uint8_t> s8(10, 7);
  const auto good = Riff({Chunk("fmt ", Fmt(1, 11025, 8)), Chunk("data", s8)});
  for (size_t cut = 0; cut < good.size() - s8.size() + 1; ++cut)
    EXPECT_FALSE(DecodeWavU8Mono(good.data(), cut)) << "cut at " << cut;
  auto bad = good;
  bad[1] = 'X';
  EXPECT_FALSE(DecodeWavU8Mono(bad.data(), bad.size()));
  // Data length larger than the file: what is there is used.
  auto longer = good;
  longer[good.size() - s8.size() - 4] = 0xff;
  longer[good.size() - s8.size() - 1] = 0x7f;
  auto got = DecodeWavU8Mono(longer.data(), longer.size());
  ASSERT_TRUE(got);
  EXPECT_EQ(got->size(), s8.size());
  // A chunk length past the end, a data chunk of 0 bytes, no fmt, a non-PCM format.
  auto huge = Riff({Chunk("fmt ", Fmt(1, 11025, 8)), Chunk("junk", {})});
  huge[huge.size() - 1] = 0x7f;
  EXPECT_FALSE(DecodeWavU8Mono(huge.data(), huge.size()));
  auto empty = Riff({Chunk("fmt ", Fmt(1, 11025, 8)), Chunk("data", {})});
  EXPECT_FALSE(DecodeWavU8Mono(empty.data(), empty.size()));
  auto nofmt = Riff({Chunk("data", s8)});
  EXPECT_FALSE(DecodeWavU8Mono(nofmt.data(), nofmt.size()));
  auto fmt = Fmt(1, 11025, 8);
  fmt[0] = 3;  // IEEE float
  auto flt = Riff({Chunk("fmt ", fmt), Chunk("data", s8)});
  EXPECT_FALSE(DecodeWavU8Mono(flt.data(), flt.size()));
}

class StartTest : public SynthTest {};

TEST_F(StartTest, ResultCodes) {
  WriteDatabase({Unit("$A", 10, 1)});
  EXPECT_EQ(Start(), 0);
  EXPECT_EQ(NomeBancoDeVoz(), "DIFONES2");
  EXPECT_EQ(DiretorioLetras().back(), '\\');
  EXPECT_EQ(IniciaTradutorEm((dir_ / "nada").string(), (dir_ / "difones").string()), 1);
  EXPECT_EQ(IniciaTradutorEm("", (dir_ / "difones").string()), 1);
  EXPECT_EQ(IniciaTradutorEm((dir_ / "letras").string(), (dir_ / "nada").string()), 1);
  std::filesystem::remove(dir_ / "difones" / "portug.exc");
  EXPECT_EQ(Start(), 2);
  WriteFile(dir_ / "difones" / "portug.exc", {});
  std::filesystem::remove(dir_ / "difones" / "regras.rgr");
  EXPECT_EQ(Start(), 2);
  WriteFile(dir_ / "difones" / "regras.rgr", {});
  std::filesystem::remove(dir_ / "difones" / "DIFONES2.DIF");
  EXPECT_EQ(Start(), 1);
  WriteDatabase({Unit("$A", 10, 1)});
  std::filesystem::remove(dir_ / "difones" / "DIFONES2.IND");
  EXPECT_EQ(Start(), 1);
  // An index whose size is not a multiple of 15.
  WriteFile(dir_ / "difones" / "DIFONES2.IND", std::vector<uint8_t>(16, 1));
  EXPECT_EQ(Start(), 1);
}

TEST_F(StartTest, TruncatedDataFileLosesOnlyTheUnitsPastItsEnd) {
  WriteDatabase({Unit("$AB", 100, 1), Unit("$AC", 100, 2)});
  std::filesystem::resize_file(dir_ / "difones" / "DIFONES2.DIF", 150);
  ASSERT_EQ(Start(), 0);
  AjustaParametros(0, 0, 100);
  FalaFonemas("[ab]");
  EXPECT_EQ(Played(), std::vector<uint8_t>(100, 1));
  Blocks().clear();
  FalaFonemas("[ac]");  // past the end: not found, and "$AC" has no decomposition
  EXPECT_TRUE(Played().empty());
}

TEST_F(StartTest, BrokenLetterRecordingIsNotFound) {
  WriteDatabase({Unit("$A", 10, 1)});
  WriteFile(dir_ / "letras" / "_33.wav", {'R', 'I', 'F', 'X', 1, 2, 3});
  ASSERT_EQ(Start(), 0);
  FalaFonemas("[ /_!]");
  EXPECT_TRUE(Blocks().empty());
}

TEST_F(StartTest, ReadsItsDirectoriesFromTheConfiguration) {
  WriteDatabase({Unit("$A", 10, 1)});
  const auto config = dir_ / "config";
  std::filesystem::create_directories(config / "Sonela");
  const std::string ini = "[TRADUTOR]\ndirLetras=" + (dir_ / "letras").string() +
                          "\nDIRDIFONES=" + (dir_ / "difones").string() + "/\n";
  WriteFile(config / "Sonela" / "Sonela.ini", std::vector<uint8_t>(ini.begin(), ini.end()));
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  FlushProfileCache();
  EXPECT_EQ(IniciaTradutor(), 0);
  EXPECT_EQ(DiretorioLetras(), (dir_ / "letras").string() + "\\");
  // Without dirLetras the translator cannot start.
  const std::string noLetters = "[TRADUTOR]\nDIRDIFONES=" + (dir_ / "difones").string() + "\n";
  WriteFile(config / "Sonela" / "Sonela.ini",
            std::vector<uint8_t>(noLetters.begin(), noLetters.end()));
  FlushProfileCache();
  EXPECT_EQ(IniciaTradutor(), 1);
  if (old)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  FlushProfileCache();
}

}  // namespace
}  // namespace mg::test
