// The disc service against image files: what is written is read back by xorriso and
// compared byte for byte; every way a burn can go wrong must end in a failed write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "recording/dircheck.h"
#include "recording/discservice.h"
#include "testutil.h"

namespace mg {
namespace {

using test::TempDir;

// Each test leaves the current directory where it found it.
class DiscServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr); }
  void TearDown() override { ASSERT_EQ(chdir(cwd_), 0); }

  // The dialogue's steps from the directory check up to the finished image.
  DataStream Prepare(const std::string& source, const std::string& image,
                     const std::string& volume = "TESTE") {
    SourceListing listing;
    EXPECT_TRUE(ListSourceDirectory(source, listing));
    CheckSourceTree(listing);
    builder_.SourceFolders(listing.folders);
    DiscMaster master(image);
    EXPECT_EQ(master.Count(), 1 + extraDrives_);
    recorder_.InitializeDiscRecorder(master.Item(master.Count() - 1));
    DirectoryItem root = builder_.Root();
    writer_.Recorder(recorder_);
    writer_.ClientName("IMAPI");
    builder_.ChooseImageDefaults(recorder_);
    builder_.VolumeName(volume);
    for (const std::string& name : listing.entries) {
      struct stat st {};
      if (lstat(name.c_str(), &st) != 0) continue;
      if (S_ISREG(st.st_mode)) {
        FileStream stream(name);
        root.AddFile(name, stream);
      } else {
        root.AddTree(name, true);
      }
    }
    return builder_.CreateResultImage().ImageStream();
  }

  void Burn(const std::string& source, const std::string& image,
            const std::string& volume = "TESTE") {
    DataStream stream = Prepare(source, image, volume);
    writer_.Write(stream);
    recorder_.EjectMedia();
  }

  char cwd_[PATH_MAX] = {};
  int extraDrives_ = 0;  // optical drives of this machine
  DiscRecorder recorder_;
  ImageBuilder builder_;
  DataWriter writer_;
};

// The tree the first tests record: accented names, an empty file, a 5 MB file, a hidden
// file at the top (left out) and a subdirectory with its own hidden file (kept).
void MakeSampleTree(const std::string& dir) {
  test::WriteFile(dir + "/a\xc3\xa7\xc3\xa3o.txt",
                  "conte\xc3\xba"
                  "do\n");
  test::WriteFile(dir + "/vazio", "");
  test::WriteFile(dir + "/grande.bin", test::PatternBytes(5 * 1024 * 1024 + 7, 1));
  test::WriteFile(dir + "/.oculto", "segredo");
  test::MakeDir(dir + "/M\xc3\xbasica");
  test::WriteFile(dir + "/M\xc3\xbasica/faixa 1.txt", "um");
  test::WriteFile(dir + "/M\xc3\xbasica/.config", "dois");
  test::MakeDir(dir + "/M\xc3\xbasica/fundo");
  test::WriteFile(dir + "/M\xc3\xbasica/fundo/z.dat", test::PatternBytes(70000, 2));
}

// What the disc must hold: the tree without the top-level hidden file.
std::string ExpectedTree(const TempDir& tmp, const std::string& source) {
  const std::string expected = tmp / "expected";
  test::Run("cp -a '" + source + "' '" + expected + "' && rm -f '" + expected + "/.oculto'");
  return expected;
}

TEST_F(DiscServiceTest, ImageHoldsExactlyTheDirectoryInRockRidgeAndJoliet) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  MakeSampleTree(src);
  const std::string image = tmp / "disco.iso";
  ASSERT_NO_THROW(Burn(src, image, "F\xc3\xa9rias 2026"));
  const std::string expected = ExpectedTree(tmp, src);

  ASSERT_TRUE(test::ExtractImage(image, tmp / "rr", false));
  EXPECT_EQ(test::CompareTrees(expected, tmp / "rr"), "");
  ASSERT_TRUE(test::ExtractImage(image, tmp / "joliet", true));
  EXPECT_EQ(test::CompareTrees(expected, tmp / "joliet", true), "");

  const std::string pvd = test::VolumeInfo(image);
  EXPECT_NE(pvd.find("Volume Id    : F"), std::string::npos) << pvd;
  EXPECT_NE(pvd.find("RIAS_2026"), std::string::npos) << pvd;
}

TEST_F(DiscServiceTest, EmptyDirectoryAndEmptyVolumeNameGiveAnEmptyRoot) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  test::WriteFile(src + "/.so_oculto", "x");
  const std::string image = tmp / "vazio.iso";
  ASSERT_NO_THROW(Burn(src, image, ""));
  ASSERT_TRUE(test::ExtractImage(image, tmp / "rr", false));
  EXPECT_TRUE(test::ListFiles(tmp / "rr").empty());
}

TEST_F(DiscServiceTest, ExistingImageFileIsReplacedWhole) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  test::WriteFile(src + "/um.txt", "1");
  const std::string image = tmp / "velho.iso";
  test::WriteFile(image, test::PatternBytes(9 * 1024 * 1024, 3));
  DataStream stream = Prepare(src, image);
  const int64_t size = stream.Size();
  writer_.Write(stream);
  struct stat st {};
  ASSERT_EQ(stat(image.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, size);
  ASSERT_TRUE(test::ExtractImage(image, tmp / "rr", false));
  EXPECT_EQ(test::ListFiles(tmp / "rr"), std::vector<std::string>{"um.txt"});
}

TEST_F(DiscServiceTest, ImageFileInsideTheRecordedTreeIsLeftOut) {
  TempDir tmp;
  const std::string src = tmp / "casa";
  test::MakeDir(src);
  test::MakeDir(src + "/sub");
  test::WriteFile(src + "/carta.txt", "carta");
  const std::string image = src + "/sub/minigravador.iso";
  test::WriteFile(image, test::PatternBytes(100000, 8));  // from an earlier run
  ASSERT_NO_THROW(Burn(src, image));
  ASSERT_TRUE(test::ExtractImage(image, tmp / "rr", false));
  EXPECT_EQ(test::ListFiles(tmp / "rr"), std::vector<std::string>{"carta.txt"});
  // At the top of the tree as well.
  const std::string top = src + "/topo.iso";
  test::WriteFile(top, "antigo");
  builder_.Release();
  ASSERT_NO_THROW(Burn(src, top));
  ASSERT_TRUE(test::ExtractImage(top, tmp / "rr2", false));
  EXPECT_EQ(test::ListFiles(tmp / "rr2"),
            (std::vector<std::string>{"carta.txt", "sub/minigravador.iso"}));
}

TEST_F(DiscServiceTest, NamesKeepTheirBytesAndLongJolietNamesStayApart) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  const std::string latin1 = "lat\xe7\xe3o.txt";  // not UTF-8
  test::WriteFile(src + "/" + latin1, "latin1");
  test::MakeDir(src + "/m\xfasica");  // not UTF-8 either, with a file inside
  test::WriteFile(src + "/m\xfasica/faixa", "faixa");
  const std::string stem(110, 'n');
  test::WriteFile(src + "/" + stem + "_primeiro.txt", "primeiro");
  test::WriteFile(src + "/" + stem + "_segundo.txt", "segundo");
  const std::string image = tmp / "nomes.iso";
  ASSERT_NO_THROW(Burn(src, image));

  ASSERT_TRUE(test::ExtractImage(image, tmp / "rr", false));
  EXPECT_EQ(test::CompareTrees(src, tmp / "rr"), "");

  // Joliet cannot hold these names whole, but both long files must be there, each with
  // its own content.
  ASSERT_TRUE(test::ExtractImage(image, tmp / "joliet", true));
  std::vector<std::string> contents;
  for (const std::string& f : test::ListFiles(tmp / "joliet")) {
    contents.push_back(test::ReadFile(tmp / "joliet/" + f));
  }
  std::sort(contents.begin(), contents.end());
  EXPECT_EQ(contents, (std::vector<std::string>{"faixa", "latin1", "primeiro", "segundo"}));
  // Bytes that are not UTF-8 are read as cp1252 for Joliet, whole: the Joliet records
  // (UTF-16BE) hold the names with every character.
  const auto utf16 = [](const std::string& latin) {
    std::string out;
    for (char c : latin) out += std::string(1, '\0') + c;
    return out;
  };
  const std::string bytes = test::ReadFile(image);
  EXPECT_NE(bytes.find(utf16("lat\xe7\xe3o.txt")), std::string::npos);
  EXPECT_NE(bytes.find(utf16("m\xfasica")), std::string::npos);
}

TEST_F(DiscServiceTest, VerificationCountsTheFilesThatDiffer) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  MakeSampleTree(src);
  const std::string image = tmp / "v.iso";
  DataStream stream = Prepare(src, image);
  writer_.Write(stream);
  EXPECT_EQ(writer_.Verify(stream), 0);
  // Same size, other bytes; and a file that is gone.
  test::WriteFile(src + "/grande.bin", test::PatternBytes(5 * 1024 * 1024 + 7, 2));
  ASSERT_EQ(unlink((src + "/vazio").c_str()), 0);
  EXPECT_EQ(writer_.Verify(stream), 2);
  // A damaged image: the first file's bytes overwritten in the image itself.
  test::WriteFile(src + "/grande.bin", test::PatternBytes(5 * 1024 * 1024 + 7, 1));
  const std::string bytes = test::ReadFile(image);
  const size_t at = bytes.find(test::PatternBytes(64, 1).substr(0, 64));
  ASSERT_NE(at, std::string::npos);
  const int fd = open(image.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, "XXXX", 4, static_cast<off_t>(at + 4096)), 4);
  close(fd);
  EXPECT_EQ(writer_.Verify(stream), 2);
  recorder_.EjectMedia();
}

TEST(DiscSentences, TooBigNeverShowsEqualSizes) {
  const int64_t mb = 1024 * 1024;
  EXPECT_EQ(TooBigSentence(812 * mb, 700 * mb), "O diret\xf3rio tem 812 megabytes e o disco 700");
  EXPECT_EQ(TooBigSentence(700 * mb + 1, 700 * mb),
            "O diret\xf3rio tem 701 megabytes e o disco 700");
}

TEST_F(DiscServiceTest, LinksStandForWhatTheyLeadToAndLoopsAreCut) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  test::MakeDir(tmp / "fora");
  test::WriteFile(tmp / "fora/segredo.txt", "fora da pasta");
  test::MakeDir(src + "/sub");
  test::WriteFile(src + "/sub/proprio.txt", "dentro");
  ASSERT_EQ(symlink("../../fora", (src + "/sub/para_fora").c_str()), 0);
  ASSERT_EQ(symlink("../fora/segredo.txt", (src + "/link_topo").c_str()), 0);
  ASSERT_EQ(symlink("..", (src + "/sub/volta").c_str()), 0);          // the source itself
  ASSERT_EQ(symlink(".", (src + "/sub/aqui").c_str()), 0);            // its own folder
  ASSERT_EQ(symlink("sub", (src + "/outra_sub").c_str()), 0);         // recorded at its place
  ASSERT_EQ(symlink("../fora", (tmp / "fora/de_volta").c_str()), 0);  // loop outside
  ASSERT_EQ(symlink("sub/para_fora", (src + "/ja_seguida").c_str()), 0);
  const std::string image = tmp / "links.iso";
  ASSERT_NO_THROW(Burn(src, image));
  // The outside folder is recorded once, at whichever of its two links comes first.
  const std::vector<std::string> want1{"link_topo", "sub/para_fora/segredo.txt", "sub/proprio.txt"};
  const std::vector<std::string> want2{"ja_seguida/segredo.txt", "link_topo", "sub/proprio.txt"};
  for (const bool joliet : {false, true}) {
    const std::string out = tmp / (joliet ? "joliet" : "rr");
    ASSERT_TRUE(test::ExtractImage(image, out, joliet));
    const std::vector<std::string> got = test::ListFiles(out);
    EXPECT_TRUE(got == want1 || got == want2) << (joliet ? "Joliet" : "Rock Ridge");
    EXPECT_EQ(test::ReadFile(out + "/link_topo"), "fora da pasta");
    EXPECT_FALSE(test::FileExistsForTest(out + "/sub/volta"));
    EXPECT_FALSE(test::FileExistsForTest(out + "/outra_sub"));
  }
}

TEST_F(DiscServiceTest, ALinkThatLeadsNowhereFailsNamingIt) {
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  test::MakeDir(src + "/sub");
  ASSERT_EQ(symlink("nao_existe", (src + "/sub/quebrado").c_str()), 0);
  SourceListing listing;
  ASSERT_TRUE(ListSourceDirectory(src, listing));
  EXPECT_FALSE(CheckSourceTree(listing));
  EXPECT_EQ(listing.unreadable, "sub/quebrado");
  try {
    Burn(src, tmp / "x.iso");
    ADD_FAILURE() << "burned a tree with a dangling link";
  } catch (const DiscFailure& e) {
    EXPECT_EQ(e.Spoken(), "N\xe3o \xe9 poss\xedvel ler: sub/quebrado");
  }
}

TEST_F(DiscServiceTest, FilesOfFourGibibytesNeedLevelThree) {
  TempDir tmp;
  const std::string big = tmp / "enorme.bin";
  const int fd = open(big.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, (int64_t{4} << 30) + 5), 0);  // sparse: no disk space used
  close(fd);
  {
    ImageBuilder builder;
    builder.ISO9660InterchangeLevel(2);
    FileStream stream(big);
    DirectoryItem root = builder.Root();
    root.AddFile("enorme.bin", stream);
    EXPECT_THROW(builder.CreateResultImage(), DiscFailure);
  }
  ImageBuilder builder;
  FileStream stream(big);
  DirectoryItem root = builder.Root();
  root.AddFile("enorme.bin", stream);
  ImageResult result = builder.CreateResultImage();
  EXPECT_GT(result.ImageStream().Size(), int64_t{4} << 30);
}

// ---- failures ---------------------------------------------------------------------

class BurnFailureTest : public DiscServiceTest {
 protected:
  void SetUp() override {
    DiscServiceTest::SetUp();
    src_ = tmp_ / "src";
    test::MakeDir(src_);
    test::WriteFile(src_ + "/topo.bin", test::PatternBytes(300000, 4));
    test::MakeDir(src_ + "/sub");
    test::WriteFile(src_ + "/sub/dentro.bin", test::PatternBytes(200000, 5));
    // The image goes where the unprivileged user may write.
    test::MakeDir(tmp_ / "saida", 0777);
    image_ = tmp_ / "saida/falha.iso";
  }

  // The write must fail, and the image file must not pass for a good one.
  void ExpectFailedWrite(DataStream& stream, const std::string& needle) {
    try {
      writer_.Write(stream);
      ADD_FAILURE() << "the write succeeded";
    } catch (const DiscFailure& f) {
      EXPECT_NE(std::string(f.what()).find(needle), std::string::npos) << f.what();
    }
    struct stat st {};
    if (stat(image_.c_str(), &st) == 0) {
      EXPECT_EQ(st.st_size, 0);
    }
  }

  TempDir tmp_;
  std::string src_;
  std::string image_;
};

TEST_F(BurnFailureTest, FileThatVanishedShrankOrGrewFailsTheWrite) {
  struct Case {
    const char* path;
    const char* what;
    void (*change)(const std::string&);
  };
  const Case cases[] = {
      {"/topo.bin", "sumiu", [](const std::string& p) { unlink(p.c_str()); }},
      {"/sub/dentro.bin", "sumiu", [](const std::string& p) { unlink(p.c_str()); }},
      {"/topo.bin", "tamanho", [](const std::string& p) { truncate(p.c_str(), 1000); }},
      {"/sub/dentro.bin", "tamanho",
       [](const std::string& p) { test::WriteFile(p, test::PatternBytes(200001, 5)); }},
      {"/topo.bin", "substitu",
       [](const std::string& p) {
         test::WriteFile(p + ".novo", test::PatternBytes(300000, 6));
         rename((p + ".novo").c_str(), p.c_str());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.what);
    test::WriteFile(src_ + "/topo.bin", test::PatternBytes(300000, 4));
    test::WriteFile(src_ + "/sub/dentro.bin", test::PatternBytes(200000, 5));
    builder_.Release();
    DataStream stream = Prepare(src_, image_);
    c.change(src_ + c.path);
    ExpectFailedWrite(stream, c.what);
    recorder_.Release();
  }
}

TEST_F(BurnFailureTest, FileThatBecameUnreadableFailsTheWrite) {
  DataStream stream = Prepare(src_, image_);
  chmod((src_ + "/sub/dentro.bin").c_str(), 0);
  test::Unprivileged nobody;
  ASSERT_TRUE(nobody.ok());
  ExpectFailedWrite(stream, "dentro.bin");
}

TEST_F(BurnFailureTest, UnreadableEntriesInsideATreeFailTheTreeNotSilently) {
  test::MakeDir(src_ + "/sub/fechada", 0);
  test::Unprivileged nobody;
  ASSERT_TRUE(nobody.ok());
  ImageBuilder builder;
  DirectoryItem root = builder.Root();
  try {
    root.AddTree(src_ + "/sub", true);
    ADD_FAILURE() << "an unreadable folder was left out silently";
  } catch (const DiscFailure& f) {
    EXPECT_NE(std::string(f.what()).find("fechada"), std::string::npos) << f.what();
  }
}

TEST_F(BurnFailureTest, ImageLargerThanTheFreeSpaceIsNotWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a small file system";
  const std::string small = tmp_ / "pequeno";
  test::MakeDir(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount tmpfs: " << std::strerror(errno);
  }
  image_ = small + "/cheio.iso";
  test::WriteFile(image_, "imagem anterior");
  {
    DataStream stream = Prepare(src_, image_);
    try {
      writer_.Write(stream);
      ADD_FAILURE() << "the write succeeded";
    } catch (const DiscFailure& f) {
      EXPECT_NE(std::string(f.what()).find("espa\xc3\xa7o insuficiente"), std::string::npos)
          << f.what();
    }
    // Nothing was touched: the earlier image is still there.
    EXPECT_TRUE(test::ReadFile(image_) == "imagem anterior");
    recorder_.Release();
  }
  umount(small.c_str());
}

TEST_F(BurnFailureTest, WriteErrorOfTheTargetFailsTheWrite) {
  image_ = "/dev/full";
  DataStream stream = Prepare(src_, image_);
  EXPECT_THROW(writer_.Write(stream), DiscFailure);
}

TEST_F(BurnFailureTest, AStreamThatCouldNotBeOpenedFailsAddFile) {
  ImageBuilder builder;
  DirectoryItem root = builder.Root();
  FileStream missing(src_ + "/nao_existe");
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_THROW(root.AddFile("nao_existe", missing), DiscFailure);
  FileStream first(src_ + "/topo.bin");
  root.AddFile("topo.bin", first);
  FileStream again(src_ + "/topo.bin");
  EXPECT_THROW(root.AddFile("topo.bin", again), DiscFailure);  // name taken
}

TEST_F(BurnFailureTest, AnImageIsWrittenOnlyOnce) {
  DataStream stream = Prepare(src_, image_);
  writer_.Write(stream);
  EXPECT_THROW(writer_.Write(stream), DiscFailure);
}

// ---- recorders ------------------------------------------------------------------

TEST(DiscRecorders, ImageFileIsTheLastRecorderAndShowsItsPath) {
  TempDir tmp;
  test::WriteFile(tmp / "sr0", "");  // a "drive" that cannot be opened
  test::MakeDir(tmp / "sr1x");       // not a drive name
  DiscMaster master(tmp / "x.iso", tmp.path());
  ASSERT_TRUE(master.IsSupportedEnvironment());
  const int n = master.Count();
  ASSERT_GE(n, 2);
  EXPECT_EQ(master.Item(n - 2), tmp / "sr0");
  EXPECT_EQ(master.Item(n - 1), "stdio:" + tmp / "x.iso");
  EXPECT_THROW(master.Item(n), DiscFailure);
  EXPECT_THROW(master.Item(-1), DiscFailure);

  DiscRecorder recorder;
  EXPECT_THROW(recorder.InitializeDiscRecorder(master.Item(n - 2)), DiscFailure);
  recorder.InitializeDiscRecorder(master.Item(n - 1));
  EXPECT_EQ(recorder.VendorId(), "Arquivo de imagem");
  EXPECT_EQ(recorder.ProductId(), "x.iso");
  recorder.Release();
  EXPECT_THROW(recorder.VendorId(), DiscFailure);
}

TEST(DiscRecorders, NoImageFileAndNoDrivesMeansNoRecorder) {
  TempDir tmp;
  DiscMaster master("", tmp.path());
  // This machine's own drives, if any, would count; the test machines have none.
  if (master.Count() > 0) GTEST_SKIP() << "this machine has optical drives";
  EXPECT_FALSE(master.IsSupportedEnvironment());
}

TEST(DiscRecorders, ImageFileThatCannotBeWrittenCannotBeInitialised) {
  TempDir tmp;
  test::MakeDir(tmp / "pasta");
  test::MakeDir(tmp / "somente_leitura", 0555);
  const std::string bad[] = {tmp / "nao_existe/x.iso", tmp / "pasta", tmp / "pasta/", ""};
  for (const std::string& path : bad) {
    DiscRecorder recorder;
    EXPECT_THROW(recorder.InitializeDiscRecorder("stdio:" + path), DiscFailure) << path;
  }
  test::Unprivileged nobody;
  ASSERT_TRUE(nobody.ok());
  DiscRecorder recorder;
  EXPECT_THROW(recorder.InitializeDiscRecorder("stdio:" + tmp / "somente_leitura/x.iso"),
               DiscFailure);
}

// ---- the libraries' manners -------------------------------------------------------

TEST_F(DiscServiceTest, BurningInstallsNoSignalHandlerAndPumpsTheCaller) {
  struct sigaction before[NSIG] = {};
  for (int s = 1; s < NSIG; ++s) sigaction(s, nullptr, &before[s]);
  TempDir tmp;
  const std::string src = tmp / "src";
  test::MakeDir(src);
  test::WriteFile(src + "/a.bin", test::PatternBytes(3 * 1024 * 1024, 9));
  int pumps = 0;
  writer_.SetPump([&] {
    ++pumps;
    usleep(1000);
  });
  ASSERT_NO_THROW(Burn(src, tmp / "s.iso"));
  EXPECT_GT(pumps, 0);
  for (int s = 1; s < NSIG; ++s) {
    struct sigaction now {};
    sigaction(s, nullptr, &now);
    EXPECT_EQ(now.sa_handler, before[s].sa_handler) << "signal " << s;
  }
}

}  // namespace
}  // namespace mg
