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
  Folders({"Documentos", "Fotos", "Fotos antigas"});
  for (int i = 1; i <= 7; ++i) test::MakeDir(home_ + "/Documentos/Pasta " + std::to_string(i));
  const Completion seven = CompleteTyped("Documentos/p");
  EXPECT_EQ(seven.text, "Documentos/Pasta ");
  EXPECT_EQ(CompletionSentence(seven, "Documentos/p"),
            "7 pastas: Pasta 1, Pasta 2, Pasta 3, Pasta 4, Pasta 5 e mais 2");
  EXPECT_EQ(CompletionSentence(CompleteTyped("Documentos/x"), "Documentos/x"),
            Cp("Nenhuma pasta começa com x"));
  EXPECT_EQ(CompletionSentence(CompleteTyped("Docs/x"), "Docs/x"),
            Cp("Diretório não encontrado: Docs"));
  // A name that is also the start of others: the second Tab goes into it.
  EXPECT_EQ(CompleteTyped("Fotos").kind, Completion::kSeveral);
  EXPECT_EQ(CompleteTyped("Fotos", true).text, "Fotos/");
}

TEST_F(FolderPickTest, UpAndDownStepThroughTheFoldersInOrder) {
  Folders({"Música", "Documentos", "Área de trabalho", ".cache", "Documentos/Fotos da festa",
           "Documentos/Faturas"});
  test::WriteFile(home_ + "/carta.txt", "não é pasta");
  for (const char* f : {"/a.jpg", "/b.jpg", "/c.jpg", "/.oculto"})
    test::WriteFile(home_ + "/Documentos/Fotos da festa" + f, "x");

  FolderBrowser b;
  FolderBrowser::Step s = b.Move("", 1);
  EXPECT_EQ(s.text + " / " + s.sentence, Cp("Área de trabalho / Área de trabalho, vazia"));
  s = b.Move(s.text, 1);
  EXPECT_EQ(s.text + " / " + s.sentence, "Documentos / Documentos, 2 pastas");
  s = b.Move(b.Move(s.text, 1).text, 1);  // past the last one: it stays, said again
  EXPECT_FALSE(s.moved);
  EXPECT_EQ(s.text, Cp("Música"));

  // Into a folder (as Tab leaves it), then from a name typed in part.
  s = b.Move("Documentos/", -1);
  EXPECT_EQ(s.text + " / " + s.sentence, "Documentos/Fotos da festa / Fotos da festa, 3 arquivos");
  EXPECT_EQ(b.Move("Documentos/fo", 1).text, "Documentos/Fotos da festa");
  EXPECT_EQ(b.Move("Documentos/fo", -1).text, "Documentos/Faturas");
  EXPECT_FALSE(b.Move("Documentos/Faturas/", 1).moved);
  EXPECT_EQ(b.Move("Sumiu/", 1).sentence, Cp("Diretório não encontrado: Sumiu"));
}

TEST_F(FolderPickTest, AnswersAreJudgedUnderHomeThenTheCurrentFolder) {
  Folders({"Documentos", "Documentos/Fotos"});
  test::WriteFile(home_ + "/carta.txt", "x");
  test::WriteFile(home_ + "/disco.iso", "x");
  test::MakeDir(tmp_ / "aqui");
  test::MakeDir(tmp_ / "aqui/local");
  test::MakeDir(tmp_ / "aqui/documentos");
  ASSERT_EQ(chdir((tmp_ / "aqui").c_str()), 0);

  Answer a = JudgeAnswer("Documentos/Fotos/");
  EXPECT_EQ(a.kind, Answer::kFolder);
  EXPECT_EQ(a.linuxPath + " " + a.forCheck, home_ + "/Documentos/Fotos/ ~/Documentos/Fotos/");
  a = JudgeAnswer("local");  // only in the current folder
  EXPECT_EQ(a.kind, Answer::kFolder);
  EXPECT_EQ(a.linuxPath + " " + a.forCheck, tmp_ / "aqui/local local");
  EXPECT_EQ(JudgeAnswer("documentos").linuxPath, tmp_ / "aqui/documentos");
  EXPECT_EQ(JudgeAnswer("~/disco.iso").kind, Answer::kIsoFile);
  EXPECT_EQ(JudgeAnswer("carta.txt").kind, Answer::kNotFolder);
  EXPECT_EQ(JudgeAnswer("carta.txt/x").kind, Answer::kMissing);
  EXPECT_EQ(JudgeAnswer("Fotos").kind, Answer::kMissing);
}

TEST(FolderSize, TheSentenceNamesTheSmallestDiscThatHoldsTheImage) {
  EXPECT_EQ(SizeSentence(1), "1 megabyte; cabe em um CD");
  EXPECT_EQ(SizeSentence(312 * 1048576LL - 5), "312 megabytes; cabe em um CD");
  EXPECT_EQ(SizeSentence(kCdBytes), "704 megabytes; cabe em um CD");
  EXPECT_EQ(SizeSentence(kCdBytes + 1), "704 megabytes; cabe num DVD");
  EXPECT_EQ(SizeSentence(kDvdBytes + 1), Cp("4483 megabytes; é maior que um DVD"));
}

// The estimate against the image the disc service really builds from the same tree.
TEST_F(FolderPickTest, TheEstimateIsCloseAboveTheRealImage) {
  struct Tree {
    const char* what;
    int folders, filesEach, bytesEach;
  };
  const Tree trees[] = {{"one big file", 0, 1, 5 << 20},
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
    if (t.folders == 0) continue;
    // A folder that turned unreadable since the check: no estimate rather than a wrong one.
    const std::string first = src + "/" + listing.entries[0];
    chmod(first.c_str(), 0);
    {
      test::Unprivileged nobody;
      ASSERT_TRUE(nobody.ok());
      EXPECT_EQ(EstimateImageBytes(listing), -1) << t.what;
    }
    chmod(first.c_str(), 0755);
  }
}

}  // namespace
}  // namespace mg
