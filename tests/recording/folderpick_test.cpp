// Choosing the folder by ear: matching and order of names, Tab completion, browsing,
// how an answer is judged, and the size sentence.
#include "recording/folderpick.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>

#include "common/cp1252.h"
#include "recording/discservice.h"
#include "recording/foldersize.h"
#include "testutil.h"

namespace mg {
namespace {

// Source text is UTF-8; the field holds cp1252.
std::string Cp(const std::string& utf8) { return Utf8ToCp1252(utf8); }

// A home folder of its own, as the current directory's neighbour.
class FolderPickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(cwd_, sizeof cwd_), nullptr);
    const char* home = getenv("HOME");
    oldHome_ = home ? home : "";
    home_ = tmp_ / "casa";
    test::MakeDir(home_);
    setenv("HOME", home_.c_str(), 1);
  }
  void TearDown() override {
    setenv("HOME", oldHome_.c_str(), 1);
    ASSERT_EQ(chdir(cwd_), 0);
  }
  void Folders(const std::vector<std::string>& names) {
    for (const std::string& n : names) test::MakeDir(home_ + "/" + n);
  }
  char cwd_[PATH_MAX] = {};
  std::string oldHome_;
  test::TempDir tmp_;
  std::string home_;
};

TEST(FolderNames, PortugueseOrderPutsAccentsAndCaseAfterTheirLetter) {
  // Byte order would put "Água" and "Ônibus" after "Zebra" and "Fotos" before "fotos".
  const std::vector<std::string> want{
      "2024 viagem", "Água",    "Banana", "Faturas", "fotos",  "Fotos",  "Fotos da festa",
      "Fotos2",      "maca",    "maçã",   "macaco",  "musica", "Musica", "Música",
      "Musicas",     "Músicas", "ogro",   "Ônibus",  "pato",   "Zebra"};
  std::vector<std::string> names = want;
  std::shuffle(names.begin(), names.end(), std::mt19937(7));
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CollatesBefore(a, b); });
  EXPECT_EQ(names, want);
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_FALSE(CollatesBefore(want[i], want[i])) << want[i];
  }
}

TEST_F(FolderPickTest, TabMatchesIgnoringCaseAndAccents) {
  Folders({"Documentos", "Música", "Ação", "Fotos da festa", "fotografias", "Vídeos", "ÉPOCA",
           ".escondida", "Fotos.iso"});
  test::MakeDir(home_ + "/Fotos\nnova");  // would move the cursor: not offered
  test::WriteFile(home_ + "/Filme.ISO", "iso");
  test::WriteFile(home_ + "/fotos.txt", "txt");
  struct Case {
    const char* typed;  // UTF-8 here, cp1252 in the field
    Completion::Kind kind;
    const char* text;  // the field afterwards
  };
  const Case cases[] = {
      {"doc", Completion::kOne, "Documentos/"},
      {"DOCUMENTOS", Completion::kOne, "Documentos/"},
      {"musica", Completion::kOne, "Música/"},
      {"MÚS", Completion::kOne, "Música/"},
      {"acao", Completion::kOne, "Ação/"},
      {"época", Completion::kOne, "ÉPOCA/"},
      {"videos", Completion::kOne, "Vídeos/"},
      {"~/vid", Completion::kOne, "~/Vídeos/"},
      {"fil", Completion::kOne, "Filme.ISO"},  // an image file: no final "/"
      {"foto", Completion::kSeveral, "foto"},  // fotografias, Fotos da festa, Fotos.iso
      {"fotos", Completion::kSeveral, "Fotos"},
      {"fotos ", Completion::kOne, "Fotos da festa/"},
      {"fotos.", Completion::kOne, "Fotos.iso/"},  // a folder, whatever its name
      {"fotos.t", Completion::kNone, "fotos.t"},   // other files are not offered
      {"esc", Completion::kNone, "esc"},
      {".esc", Completion::kOne, ".escondida/"},  // hidden only when asked for
      {"Nada/x", Completion::kNoParent, "Nada/x"},
  };
  for (const Case& c : cases) {
    const Completion got = CompleteTyped(Cp(c.typed));
    EXPECT_EQ(got.kind, c.kind) << c.typed;
    EXPECT_EQ(got.text, Cp(c.text)) << c.typed;
  }
  EXPECT_EQ(CompleteTyped("fotos").names,
            (std::vector<std::string>{"Fotos da festa", "Fotos.iso"}));
}

TEST_F(FolderPickTest, TabSaysWhatItFound) {
  Folders({"Documentos", "Documentos/Fotos da festa", "Documentos/Faturas", "Música"});
  for (int i = 1; i <= 7; ++i) test::MakeDir(home_ + "/Documentos/Pasta " + std::to_string(i));
  const Completion two = CompleteTyped("Documentos/F");
  EXPECT_EQ(two.text, "Documentos/F");
  EXPECT_EQ(CompletionSentence(two, "Documentos/F"), "2 pastas: Faturas, Fotos da festa");
  const Completion seven = CompleteTyped("Documentos/p");
  EXPECT_EQ(seven.text, "Documentos/Pasta ");
  EXPECT_EQ(CompletionSentence(seven, "Documentos/p"),
            "7 pastas: Pasta 1, Pasta 2, Pasta 3, Pasta 4, Pasta 5 e mais 2");
  const Completion one = CompleteTyped("Documentos/fo");
  EXPECT_EQ(CompletionSentence(one, "Documentos/fo"), "Fotos da festa");
  EXPECT_EQ(CompletionSentence(CompleteTyped("Documentos/x"), "Documentos/x"),
            Cp("Nenhuma pasta começa com x"));
  EXPECT_EQ(CompletionSentence(CompleteTyped("Docs/x"), "Docs/x"),
            Cp("Diretório não encontrado: Docs"));
  // A name that is also the start of others: the second Tab goes into it.
  Folders({"Fotos", "Fotos antigas"});
  EXPECT_EQ(CompleteTyped("Fotos").kind, Completion::kSeveral);
  EXPECT_EQ(CompleteTyped("Fotos", true).text, "Fotos/");
}

TEST_F(FolderPickTest, UpAndDownStepThroughTheFoldersInOrder) {
  Folders({"Música", "Documentos", "Área de trabalho", ".cache", "Documentos/Fotos da festa",
           "Documentos/Faturas"});
  test::WriteFile(home_ + "/carta.txt", "não é pasta");
  for (int i = 0; i < 3; ++i) {
    test::WriteFile(home_ + "/Documentos/Fotos da festa/f" + std::to_string(i) + ".jpg", "x");
  }
  test::WriteFile(home_ + "/Documentos/Fotos da festa/.oculto", "x");

  FolderBrowser b;
  FolderBrowser::Step s = b.Move("", 1);
  EXPECT_TRUE(s.moved);
  EXPECT_EQ(s.text, Cp("Área de trabalho"));
  EXPECT_EQ(s.sentence, Cp("Área de trabalho, vazia"));
  s = b.Move(s.text, 1);
  EXPECT_EQ(s.text, "Documentos");
  EXPECT_EQ(s.sentence, "Documentos, 2 pastas");
  s = b.Move(s.text, 1);
  EXPECT_EQ(s.text, Cp("Música"));
  s = b.Move(s.text, 1);  // the last one: stays, said again
  EXPECT_FALSE(s.moved);
  EXPECT_EQ(s.text, Cp("Música"));
  EXPECT_TRUE(b.Shows(s.text));

  // Into a folder (as Tab leaves it), then from a name typed in part.
  FolderBrowser in;
  s = in.Move("Documentos/", -1);
  EXPECT_EQ(s.text, "Documentos/Fotos da festa");
  EXPECT_EQ(s.sentence, "Fotos da festa, 3 arquivos");
  s = in.Move("Documentos/fo", 1);
  EXPECT_EQ(s.text, "Documentos/Fotos da festa");
  s = in.Move("Documentos/fo", -1);
  EXPECT_EQ(s.text, "Documentos/Faturas");
  s = in.Move("Documentos/zz", 1);  // after the last: the last
  EXPECT_EQ(s.text, "Documentos/Fotos da festa");

  FolderBrowser none;
  s = none.Move("Documentos/Faturas/", 1);
  EXPECT_FALSE(s.moved);
  EXPECT_EQ(s.text, "Documentos/Faturas/");
  s = none.Move("Sumiu/", 1);
  EXPECT_FALSE(s.moved);
  EXPECT_EQ(s.sentence, Cp("Diretório não encontrado: Sumiu"));
}

TEST_F(FolderPickTest, AnswersAreJudgedUnderHomeThenTheCurrentFolder) {
  Folders({"Documentos", "Documentos/Fotos"});
  test::WriteFile(home_ + "/carta.txt", "x");
  test::WriteFile(home_ + "/disco.iso", "x");
  test::MakeDir(tmp_ / "aqui");
  test::MakeDir(tmp_ / "aqui/local");
  test::MakeDir(tmp_ / "aqui/Documentos");  // home wins over the current folder
  ASSERT_EQ(chdir((tmp_ / "aqui").c_str()), 0);

  Answer a = JudgeAnswer("documentos");  // case matters once typed: not the same folder
  EXPECT_EQ(a.kind, Answer::kMissing);
  a = JudgeAnswer("Documentos/Fotos/");
  EXPECT_EQ(a.kind, Answer::kFolder);
  EXPECT_EQ(a.linuxPath, home_ + "/Documentos/Fotos/");
  EXPECT_EQ(a.forCheck, "~/Documentos/Fotos/");
  a = JudgeAnswer("local");
  EXPECT_EQ(a.kind, Answer::kFolder);
  EXPECT_EQ(a.linuxPath, tmp_ / "aqui/local");
  EXPECT_EQ(a.forCheck, "local");
  a = JudgeAnswer(tmp_ / "aqui");
  EXPECT_EQ(a.kind, Answer::kFolder);
  EXPECT_EQ(a.forCheck, tmp_ / "aqui");
  EXPECT_EQ(JudgeAnswer("~/disco.iso").kind, Answer::kIsoFile);
  EXPECT_EQ(JudgeAnswer("carta.txt").kind, Answer::kNotFolder);
  EXPECT_EQ(JudgeAnswer("carta.txt/x").kind, Answer::kMissing);
}

TEST(FolderSize, TheSentenceNamesTheSmallestDiscThatHoldsTheImage) {
  EXPECT_EQ(SizeSentence(0), "0 megabytes; cabe em um CD");
  EXPECT_EQ(SizeSentence(1), "1 megabyte; cabe em um CD");
  EXPECT_EQ(SizeSentence(312 * 1048576LL - 5), "312 megabytes; cabe em um CD");
  EXPECT_EQ(SizeSentence(kCdBytes), "704 megabytes; cabe em um CD");
  EXPECT_EQ(SizeSentence(kCdBytes + 1), "704 megabytes; cabe num DVD");
  EXPECT_EQ(SizeSentence(kDvdBytes), "4483 megabytes; cabe num DVD");
  EXPECT_EQ(SizeSentence(kDvdBytes + 1), Cp("4483 megabytes; é maior que um DVD"));
}

TEST_F(FolderPickTest, TheEstimateCoversEveryFileRoundedToSectors) {
  const std::string src = tmp_ / "src";
  test::MakeDir(src);
  test::MakeDir(src + "/sub");
  test::WriteFile(src + "/a.bin", std::string(5000, 'a'));    // 3 sectors
  test::WriteFile(src + "/sub/b.bin", std::string(1, 'b'));   // 1 sector
  test::WriteFile(src + "/sub/.c", std::string(2048, 'c'));   // 1 sector: hidden below the top
  test::WriteFile(src + "/.fora", std::string(100000, 'x'));  // not recorded
  SourceListing listing;
  ASSERT_TRUE(ListSourceDirectory(src, listing));
  ASSERT_TRUE(CheckSourceTree(listing));
  const int64_t bytes = EstimateImageBytes(listing);
  EXPECT_GE(bytes, 5 * 2048);
  EXPECT_LT(bytes, 5 * 2048 + 100 * 2048);
  EXPECT_EQ(bytes % 2048, 0);
  // A folder that turned unreadable since the check: no estimate rather than a wrong one.
  chmod((src + "/sub").c_str(), 0);
  {
    test::Unprivileged nobody;
    ASSERT_TRUE(nobody.ok());
    EXPECT_EQ(EstimateImageBytes(listing), -1);
  }
  chmod((src + "/sub").c_str(), 0755);
}

// The estimate against the image the disc service really builds from the same tree.
TEST_F(FolderPickTest, TheEstimateIsCloseAboveTheRealImage) {
  struct Tree {
    const char* what;
    int folders, filesEach, bytesEach;
  };
  const Tree trees[] = {{"one big file", 0, 1, 20 << 20},
                        {"many small files", 10, 300, 100},
                        {"deep long names", 40, 5, 3000},
                        {"empty", 0, 0, 0}};
  for (const Tree& t : trees) {
    test::TempDir dir;
    const std::string src = dir / "src";
    test::MakeDir(src);
    std::string at = src;
    for (int f = 0; f <= t.folders; ++f) {
      if (f > 0) {
        at += "/pasta com um nome bem comprido, acentuado, n\xc3\xbamero " + std::to_string(f);
        test::MakeDir(at);
      }
      for (int i = 0; i < t.filesEach; ++i) {
        test::WriteFile(at + "/arquivo " + std::to_string(i) + ".dat",
                        test::PatternBytes(t.bytesEach, i));
      }
    }
    SourceListing listing;
    ASSERT_TRUE(ListSourceDirectory(src, listing));
    ASSERT_TRUE(CheckSourceTree(listing));
    const int64_t estimate = EstimateImageBytes(listing);
    ImageBuilder builder;
    builder.SourceFolders(listing.folders);
    DirectoryItem root = builder.Root();
    FileStream stream;
    for (const std::string& name : listing.entries) {
      struct stat st {};
      ASSERT_EQ(stat(name.c_str(), &st), 0);
      if (S_ISREG(st.st_mode)) {
        stream = FileStream(name);
        root.AddFile(name, stream);
      } else {
        root.AddTree(name, true);
      }
    }
    const int64_t real = builder.CreateResultImage().ImageStream().Size();
    EXPECT_GE(estimate, real) << t.what;
    EXPECT_LE(estimate, real + real / 20 + (1 << 20)) << t.what;
  }
}

}  // namespace
}  // namespace mg
