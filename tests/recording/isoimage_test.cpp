// An ISO image file given as the directory: written to the image-file recorder block
// for block through the real dialogue and libburn, and verified.
#include "recording/isoimage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "dialoguefakes.h"
#include "recording/discservice.h"
#include "scripteddrive.h"
#include "testutil.h"

namespace mg {
namespace {

using test::Script;
using test::TempDir;

class IsoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    cwd_ = cwd;
    test::UseDialogueConfig(tmp_.path(), target_);
    test::MakeDir(tmp_ / "src");
    test::WriteFile(tmp_ / "src/leia.txt", "instalador\n");
    test::WriteFile(tmp_ / "src/dados.bin", test::PatternBytes(700000, 9));
    ASSERT_EQ(test::Run("xorriso -as mkisofs -quiet -V INSTALADOR -o '" + iso_ + "' '" +
                        tmp_ / "src" + "' >/dev/null 2>&1"),
              0);
    Script() = {};
  }
  void TearDown() override {
    if (chdir(cwd_.c_str()) != 0) ADD_FAILURE() << "cwd";
  }
  TempDir tmp_;
  std::string iso_ = tmp_ / "instalador.iso";
  std::string target_ = tmp_ / "copia.iso";
  std::string cwd_;
};

TEST_F(IsoFileTest, ImageFileIsRecognisedByItsVolumeDescriptorOnly) {
  int64_t bytes = 0;
  ASSERT_TRUE(IsIsoImageFile(iso_, bytes));
  EXPECT_EQ(bytes, static_cast<int64_t>(test::ReadFile(iso_).size()));
  EXPECT_EQ(IsoImageQuestion(tmp_ / "x/instalador.iso", 3 * 1048576 + 1),
            "Arquivo de imagem: instalador.iso, 4 megabytes. Gravar a imagem como est\xe1? S/N");
  // "CD001" one block too early, a file too short, a folder: none is an image.
  std::string early(40000, '\0');
  early.replace(15 * 2048, 7,
                "\x01"
                "CD001\x01");
  test::WriteFile(tmp_ / "early.iso", early);
  test::WriteFile(tmp_ / "short.iso", test::ReadFile(iso_).substr(0, 33000));
  EXPECT_FALSE(IsIsoImageFile(tmp_ / "early.iso", bytes));
  EXPECT_FALSE(IsIsoImageFile(tmp_ / "short.iso", bytes));
  EXPECT_FALSE(IsIsoImageFile(tmp_ / "src", bytes));
}

TEST_F(IsoFileTest, ImageFileIsWrittenAsItIsAndVerified) {
  Script().lines = {"QUALQUER", iso_};
  Script().keys = {'S'};
  EXPECT_EQ(test::RunDialogue(), 0);
  std::string missing;
  EXPECT_TRUE(test::InOrder(
      Script().said,
      {"Arquivo de imagem: instalador.iso, 2 megabytes. Gravar a imagem como est\xe1? S/N",
       "Insira o CD e aperte Enter quando pronto",
       "Nenhum gravador de CD encontrado; a imagem ser\xe1 gravada no arquivo copia.iso",
       "Grava\xe7\xe3o iniciada", "Verificando a grava\xe7\xe3o", "Grava\xe7\xe3o terminada",
       "Grava\xe7\xe3o verificada"},
      missing))
      << missing;
  EXPECT_TRUE(test::ReadFile(target_) == test::ReadFile(iso_)) << "the copy differs";
  // Not made into a new image: no directory count was said.
  for (const std::string& s : Script().said) EXPECT_EQ(s.find(" arquivos, "), std::string::npos);
  // Only folders are offered again at the next start.
  EXPECT_EQ(Script().remembered, 0);
}

TEST_F(IsoFileTest, NoEndsTheRunAsAFailedDirectoryCheckDoes) {
  Script().lines = {"QUALQUER", iso_};
  Script().keys = {'n'};
  EXPECT_EQ(test::RunDialogue(), 0);
  for (const std::string& s : Script().said) EXPECT_EQ(s.find("Insira o CD"), std::string::npos);
  EXPECT_FALSE(test::FileExistsForTest(target_));
}

TEST_F(IsoFileTest, VerificationFindsACopyThatDiffers) {
  DiscRecorder recorder;
  recorder.InitializeDiscRecorder("stdio:" + target_);
  DataWriter writer;
  writer.Recorder(recorder);
  writer.WriteFile(iso_);
  EXPECT_EQ(writer.VerifyFile(iso_), 0);
  std::string copy = test::ReadFile(target_);
  copy[copy.size() - 3000] ^= 1;
  test::WriteFile(target_, copy);
  EXPECT_EQ(writer.VerifyFile(iso_), 1);
  test::WriteFile(target_, test::ReadFile(iso_) + std::string(2048, '\0'));
  EXPECT_EQ(writer.VerifyFile(iso_), 1) << "a longer copy";
}

}  // namespace
}  // namespace mg
