// snwav through SDL's disk driver: the bytes that reach the device, block by block.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/snwav.h"
#include "common/wavheader.h"
#include "console/console.h"
#include "tests/audio/fake_console.h"
#include "tests/audio/wav_test_util.h"

namespace mg {
namespace {

using test::DeviceBytes;
using test::Samples8;
using test::Sounding;

const bool kDisk = (test::UseDiskAudio(true), true);

// The suite writes Windows paths; the tests do too, through the default "c:" root.
std::string Suite(const std::string& linuxPath) {
  std::string s = "c:" + linuxPath;
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  return s;
}

class SnWav : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    WavFlags() = SnWavFlags{};
    test::NewDiskFile();
    dir_ = test::MakeTempDir();
    WavTrace().blockQueued = [this](const uint8_t* d, uint32_t n, int) {
      blocks_.emplace_back(d, d + n);
    };
    WavTrace().deviceOpened = [this](uint32_t rate, uint16_t bits, uint16_t channels) {
      opened_.push_back({rate, bits, channels});
    };
    WavTrace().fileOpened = [this](const std::string& p) { files_.push_back(p); };
  }
  void TearDown() override {
    FechaSaida();
    WavTrace() = SnWavTrace{};
    WavFlags() = SnWavFlags{};
  }
  std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
    test::WriteFile(dir_ + "/" + name, bytes);
    return Suite(dir_ + "/" + name);
  }
  std::vector<size_t> BlockSizes() const {
    std::vector<size_t> s;
    for (const auto& b : blocks_) s.push_back(b.size());
    return s;
  }
  struct Opened {
    uint32_t rate;
    uint16_t bits, channels;
  };
  std::string dir_;
  std::vector<std::vector<uint8_t>> blocks_;
  std::vector<Opened> opened_;
  std::vector<std::string> files_;
};

TEST_F(SnWav, FilePlaysInBlocksBitExact) {
  const auto data = Samples8(20000);
  EXPECT_EQ(TocaArquivo(File("a.wav", MakeWav(data, 11025, 1, 8))), 0);
  EXPECT_EQ(BlockSizes(), (std::vector<size_t>{8192, 8192, 3616}));
  auto expected = data;
  expected.back() = 128;  // a block shorter than a full buffer ends on silence
  EXPECT_EQ(Sounding(DeviceBytes(), 128), Sounding(expected, 128));
  EXPECT_FALSE(Tocando());
}

TEST_F(SnWav, NearlyFullLastBlockIsSplitSoNoBlockIsTiny) {
  const auto data = Samples8(16400, 3);
  EXPECT_EQ(TocaArquivo(File("b.wav", MakeWav(data, 22050, 1, 8))), 0);
  EXPECT_EQ(BlockSizes(), (std::vector<size_t>{8192, 7936, 272}));
  auto expected = data;
  expected[8192 + 7936 - 1] = 128;
  expected.back() = 128;
  EXPECT_EQ(Sounding(DeviceBytes(), 128), Sounding(expected, 128));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].rate, 22050u);
}

TEST_F(SnWav, ShortEightBitBlockIsPaddedWithSilence) {
  const auto data = Samples8(100, 5);
  EXPECT_EQ(TocaPCM(data.data(), 100, 11025, 1, 8), 0);
  while (Tocando()) WaitMessage(20);
  ASSERT_EQ(blocks_.size(), 1u);
  const auto& b = blocks_[0];
  ASSERT_EQ(b.size(), 256u);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 99, b.begin()));
  for (size_t i = 99; i < 256; ++i) EXPECT_EQ(b[i], 128) << i;
  const auto out = DeviceBytes();
  const auto sounding = Sounding(out, 128);
  EXPECT_EQ(sounding, std::vector<uint8_t>(data.begin(), data.begin() + 99));
}

TEST_F(SnWav, SixteenBitBlocksKeepTheirLengthAndSamples) {
  std::vector<uint8_t> data(3000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(1 + i % 250);
  EXPECT_EQ(TocaArquivo(File("c.wav", MakeWav(data, 16000, 1, 16))), 0);
  EXPECT_EQ(BlockSizes(), (std::vector<size_t>{3000}));
  EXPECT_EQ(Sounding(DeviceBytes(), 0), data);
}

TEST_F(SnWav, SlightlyFasterRaisesTheRateByHalf) {
  WavFlags().slightlyFaster = true;
  std::vector<uint8_t> data(2000, 0x11);
  EXPECT_EQ(TocaArquivo(File("d.wav", MakeWav(data, 16000, 1, 16))), 0);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].rate, 24000u);
  EXPECT_EQ(opened_[0].bits, 16);
  EXPECT_EQ(Sounding(DeviceBytes(), 0), data);
}

TEST_F(SnWav, CutSpeechPrefersTheRapidoFileAtItsOwnSpeed) {
  ASSERT_EQ(mkdir((dir_ + "/rapido").c_str(), 0755), 0);
  const auto slow = Samples8(5000, 1);
  const auto fast = Samples8(3000, 2);
  const std::string path = File("x.wav", MakeWav(slow, 11025, 1, 8));
  File("rapido/x.wav", MakeWav(fast, 11025, 1, 8));
  WavFlags().cutSpeech = true;
  EXPECT_EQ(TocaArquivo(path), 0);
  EXPECT_TRUE(WavFlags().cutSpeech);  // restored after the call
  ASSERT_EQ(files_.size(), 1u);
  EXPECT_NE(files_[0].find("rapido\\x.wav"), std::string::npos);
  auto expected = fast;  // not compressed: the fast recording plays as it is
  expected.back() = 128;
  EXPECT_EQ(Sounding(DeviceBytes(), 128), Sounding(expected, 128));
}

// A periodic signal, period 100 samples, one peak per period, everything else close to
// silence: compression keeps the start, then one period of every two.
std::vector<uint8_t> Periodic(size_t n, uint8_t peak = 228) {
  std::vector<uint8_t> s(n);
  for (size_t i = 0; i < n; ++i)
    s[i] = i % 100 == 0 ? peak : static_cast<uint8_t>(118 + (i % 100) % 3 * 10);
  return s;
}

std::vector<uint8_t> ExpectedCompression(const std::vector<uint8_t>& s) {
  // Start window [200, 330] finds the peak at 200; each step copies from the next peak
  // (300 + 200k) to the one after (400 + 200k) while the read point is below n - 260.
  std::vector<uint8_t> out(s.begin(), s.begin() + 200);
  for (size_t read = 200; read < s.size() - 260; read += 200) {
    out.insert(out.end(), s.begin() + static_cast<long>(read + 100),
               s.begin() + static_cast<long>(read + 201));
  }
  return out;
}

TEST(Compression, DropsEveryOtherPeriodOfAPeriodicSignal) {
  auto s = Periodic(4000);
  const auto expected = ExpectedCompression(s);
  EXPECT_EQ(expected.size(), 200u + 18u * 101u);
  const uint32_t n = ComprimeBloco(s.data(), 4000, 8, 11025);
  ASSERT_EQ(n, expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), s.begin()));
}

TEST(Compression, SixteenBitBecomesEightBitFirst) {
  const auto s8 = Periodic(4000);
  std::vector<uint8_t> s16(8000);
  for (size_t k = 0; k < 4000; ++k) {
    s16[2 * k] = 0x5A;                                    // low byte: dropped
    s16[2 * k + 1] = static_cast<uint8_t>(s8[k] ^ 0x80);  // signed high byte
  }
  const uint32_t n = ComprimeBloco(s16.data(), 8000, 16, 11025);
  const auto expected = ExpectedCompression(s8);
  ASSERT_EQ(n, expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), s16.begin()));
}

TEST(Compression, ShortBlocksAndTheTailRule) {
  auto s = Periodic(999);
  EXPECT_EQ(ComprimeBloco(s.data(), 999, 8, 11025), 999u);
  // A loud tail: copying goes on while the sample at the write point is far from silence.
  // The 12 loud samples after the last copied period are below the peaks, so they
  // change no peak search.
  auto loud = Periodic(4000, 255);
  for (size_t i = 2018; i < 2030; ++i) loud[i] = 200;
  const uint32_t n = ComprimeBloco(loud.data(), 4000, 8, 11025);
  EXPECT_EQ(n, 2030u);  // 12 more samples copied from the read point on
}

TEST(Compression, NeverLooksOutsideTheBlock) {
  // Every length around the window sizes, both rates, noise: ASan checks the reads.
  std::vector<uint8_t> buf(8192);
  for (uint32_t len : {1000u, 1001u, 1100u, 1319u, 1320u, 1321u, 2000u, 8191u, 8192u}) {
    for (uint32_t rate : {11025u, 16000u}) {
      for (size_t i = 0; i < buf.size(); ++i)
        buf[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
      const uint32_t n = ComprimeBloco(buf.data(), len, 8, rate);
      EXPECT_LE(n, len);
    }
  }
}

TEST_F(SnWav, CutSpeechCompressesMonoSoundOnTheWay) {
  WavFlags().cutSpeech = true;
  const auto s = Periodic(4000);
  EXPECT_EQ(TocaArquivo(File("p.wav", MakeWav(s, 11025, 1, 8))), 0);
  auto expected = ExpectedCompression(s);
  ASSERT_EQ(BlockSizes(), (std::vector<size_t>{expected.size()}));
  expected.back() = 128;
  const auto out = DeviceBytes();
  const auto sounding = Sounding(out, 128);
  // The signal's first samples are near silence but not 128; compare from the start.
  EXPECT_EQ(sounding, Sounding(expected, 128));
}

TEST_F(SnWav, CutSpeechPlaysSixteenBitMonoAsEightBit) {
  WavFlags().cutSpeech = true;
  std::vector<uint8_t> s16(1600);
  for (size_t k = 0; k < 800; ++k) s16[2 * k + 1] = static_cast<uint8_t>(k % 50);
  EXPECT_EQ(TocaArquivo(File("q.wav", MakeWav(s16, 16000, 1, 16))), 0);
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].bits, 8);
  ASSERT_EQ(blocks_.size(), 1u);
  EXPECT_EQ(blocks_[0].size(), 800u);
  EXPECT_EQ(blocks_[0][1], 0x81);
}

TEST_F(SnWav, KeyDuringPlaybackStopsAtTheNextWaitAndStaysInTheBuffer) {
  const auto data = Samples8(16 * 8192, 4);
  fake::PushKeyAfterBlocks('x', 2);
  EXPECT_EQ(TocaArquivo(File("long.wav", MakeWav(data, 44100, 1, 8))), 0);
  EXPECT_EQ(fake::KeysWaiting(), 1);
  EXPECT_FALSE(Tocando());
  const auto out = Sounding(DeviceBytes(), 128);
  EXPECT_GE(out.size(), 2u * 8192u);
  EXPECT_LT(out.size(), data.size());
  // What did play is the start of the sound, unchanged.
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 8192, data.begin()));
}

TEST_F(SnWav, WaitingKeyPlaysNothing) {
  fake::PushKeyAfterBlocks('k', 0);
  EXPECT_EQ(TocaArquivo(File("a.wav", MakeWav(Samples8(500), 11025, 1, 8))), 0);
  EXPECT_TRUE(blocks_.empty());
  EXPECT_EQ(fake::KeysWaiting(), 1);
}

TEST_F(SnWav, NoWaitReturnsWhileTheSoundPlays) {
  WavFlags().noWait = true;
  EXPECT_EQ(TocaArquivo(File("a.wav", MakeWav(Samples8(11025), 11025, 1, 8))), 0);
  EXPECT_TRUE(Tocando());
  ParaSom();
  EXPECT_FALSE(Tocando());
}

TEST_F(SnWav, MemoryImagesPlayTheirDataChunk) {
  auto image = MakeWav(Samples8(600, 7), 11025, 1, 8);
  // A chunk before "data" is walked over; ids are compared without regard to case.
  std::vector<uint8_t> withList(image.begin(), image.begin() + 36);
  const uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  withList.insert(withList.end(), std::begin(list), std::end(list));
  withList.insert(withList.end(), image.begin() + 36, image.end());
  std::memcpy(withList.data() + 12, "FMT ", 4);
  EXPECT_EQ(TocaMemoria(withList.data(), static_cast<uint32_t>(withList.size())), 0);
  while (Tocando()) WaitMessage(20);
  ASSERT_EQ(BlockSizes(), (std::vector<size_t>{600}));
  EXPECT_TRUE(std::equal(image.begin() + 44, image.begin() + 44 + 599, blocks_[0].begin()));
}

TEST_F(SnWav, MalformedFilesPlayNothing) {
  const auto good = MakeWav(Samples8(400), 11025, 1, 8);
  auto cut = [&](size_t n) {
    return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n));
  };
  auto patched = [&](size_t at, uint32_t v) {
    auto b = good;
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  auto noFmt = good;
  std::memcpy(noFmt.data() + 12, "junk", 4);
  auto noData = good;
  std::memcpy(noData.data() + 36, "date", 4);
  auto notRiff = good;
  std::memcpy(notRiff.data(), "RIFX", 4);
  const std::vector<std::vector<uint8_t>> bad = {
      {},
      cut(10),
      cut(30),
      cut(43),
      noFmt,
      noData,
      notRiff,
      patched(40, 401),         // data longer than the file
      patched(40, 0xFFFFFFFF),  // absurd data size
      patched(16, 8),           // fmt chunk too short
      patched(16, 0x7FFFFFF0),  // fmt chunk beyond the end
  };
  int i = 0;
  for (const auto& b : bad) {
    const std::string name = "bad" + std::to_string(i++) + ".wav";
    EXPECT_EQ(TocaArquivo(File(name, b)), -1) << name;
    EXPECT_EQ(TocaMemoria(b.data(), static_cast<uint32_t>(b.size())), -1) << name;
  }
  EXPECT_EQ(TocaArquivo(Suite(dir_ + "/missing.wav")), -1);
  EXPECT_EQ(TocaArquivo(Suite(dir_)), -1);  // a directory
  EXPECT_EQ(TocaMemoria(nullptr, 0), -1);
  EXPECT_TRUE(blocks_.empty());
  EXPECT_TRUE(opened_.empty());
}

TEST_F(SnWav, FormatsTheDeviceCannotPlayAreRefused) {
  auto f24 = MakeWav(std::vector<uint8_t>(300, 1), 11025, 1, 24);
  EXPECT_EQ(TocaArquivo(File("f24.wav", f24)), kWavErrBadFormat);
  auto alaw = MakeWav(Samples8(300), 8000, 1, 8);
  alaw[20] = 6;  // A-law
  EXPECT_EQ(TocaArquivo(File("alaw.wav", alaw)), kWavErrBadFormat);
  auto noChannels = MakeWav(Samples8(300), 11025, 1, 8);
  noChannels[22] = 0;
  EXPECT_EQ(TocaArquivo(File("c0.wav", noChannels)), kWavErrBadFormat);
  auto rate0 = MakeWav(Samples8(300), 0, 1, 8);
  EXPECT_EQ(TocaMemoria(rate0.data(), static_cast<uint32_t>(rate0.size())), kWavErrBadFormat);
  EXPECT_TRUE(blocks_.empty());
  // An empty data chunk is a valid, silent sound.
  std::vector<uint8_t> empty(kWavHeaderSize);
  WriteWavHeader(empty.data(), 0, 11025, 1, 8);
  EXPECT_EQ(TocaArquivo(File("empty.wav", empty)), 0);
}

TEST_F(SnWav, FormatChangeReopensTheDevice) {
  EXPECT_EQ(TocaArquivo(File("a.wav", MakeWav(Samples8(300), 11025, 1, 8))), 0);
  EXPECT_EQ(TocaArquivo(File("b.wav", MakeWav(Samples8(300), 11025, 1, 8))), 0);
  EXPECT_EQ(TocaArquivo(File("c.wav", MakeWav(std::vector<uint8_t>(400, 3), 22050, 2, 16))), 0);
  ASSERT_EQ(opened_.size(), 2u);
  EXPECT_EQ(opened_[1].rate, 22050u);
  EXPECT_EQ(opened_[1].channels, 2);
}

TEST_F(SnWav, OutputDevicesAreFoundByNameWithoutRegardToCase) {
  std::vector<std::string> names = {"stale"};
  ListaSaidas(names);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string upper = names[i];
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    int id = -7;
    EXPECT_TRUE(EscolheSaida(upper, id));
    EXPECT_LE(id, static_cast<int>(i));
  }
  int id = -7;
  EXPECT_FALSE(EscolheSaida("no such device here", id));
  EXPECT_EQ(id, -7);
  EXPECT_EQ(DispositivoSaida(), -1);
}

TEST_F(SnWav, StaleNoticesAreIgnored) {
  EXPECT_EQ(TocaPCM(Samples8(300).data(), 300, 11025, 1, 8), 0);
  BlocoTocado(0, 0);
  BlocoTocado(12345, (7u << 5) | 1);
  BlocoTocado(0, 31);
  while (Tocando()) WaitMessage(20);
  EXPECT_TRUE(fake::Written().empty());
}

}  // namespace
}  // namespace mg

namespace mg {
namespace {
std::atomic<int> g_silences{0};
std::atomic<int> g_starts{0};
TEST_F(SnWav, AudioThreadReportsBlockStartsAndTheSilenceAfter) {
  FechaSaida();
  WavTrace().silenceStarted = [] { ++g_silences; };
  WavTrace().blockStarted = [](int) { ++g_starts; };
  EXPECT_EQ(TocaArquivo(File("a.wav", MakeWav(Samples8(3000), 11025, 1, 8))), 0);
  for (int i = 0; i < 100 && g_silences.load() == 0; ++i) WaitMessage(10);
  FechaSaida();
  EXPECT_EQ(g_starts.load(), 1);
  EXPECT_EQ(g_silences.load(), 1);
}
}  // namespace
}  // namespace mg

namespace mg {
namespace {
TEST_F(SnWav, StopIsFollowedBySilenceAtTheNextPeriod) {
  FechaSaida();
  g_silences = 0;
  WavTrace().silenceStarted = [] { ++g_silences; };
  WavFlags().noWait = true;
  EXPECT_EQ(TocaArquivo(File("a.wav", MakeWav(Samples8(50000), 11025, 1, 8))), 0);
  PauseMs(30);
  EXPECT_EQ(g_silences.load(), 0);
  ParaSom();
  for (int i = 0; i < 100 && g_silences.load() == 0; ++i) WaitMessage(10);
  FechaSaida();
  EXPECT_EQ(g_silences.load(), 1);
}
}  // namespace
}  // namespace mg

namespace mg {
namespace {
// A device that plays every block but never gives a buffer back: the player must not wait
// for ever with a full ring, and must be usable again afterwards.
TEST_F(SnWav, DeviceThatNeverReturnsABufferDoesNotHang) {
  std::atomic<bool> returned{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 300 && !returned; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!returned) {
      std::fprintf(stderr, "TocaPCM still waits after 30 s\n");
      std::_Exit(1);
    }
  });
  fake::DropWaveDone(true);
  const auto data = Samples8(20 * 8192, 6);  // more blocks than the ring holds
  EXPECT_EQ(TocaPCM(data.data(), static_cast<uint32_t>(data.size()), 44100, 1, 8), 0);
  returned = true;
  watchdog.join();
  EXPECT_EQ(blocks_.size(), 16u);  // the ring was filled, the rest dropped
  EXPECT_FALSE(Tocando());         // every buffer was taken back

  fake::DropWaveDone(false);
  blocks_.clear();
  const auto after = Samples8(3 * 8192, 7);
  EXPECT_EQ(TocaPCM(after.data(), static_cast<uint32_t>(after.size()), 44100, 1, 8), 0);
  while (Tocando()) WaitMessage(20);
  EXPECT_EQ(blocks_.size(), 3u);
}
}  // namespace
}  // namespace mg
