#include "recording/dialogue.h"

#include <sys/stat.h>

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/cp1252.h"
#include "common/paths.h"
#include "console/console.h"
#include "recording/burnwatch.h"
#include "recording/dircheck.h"
#include "recording/discservice.h"
#include "recording/folderprompt.h"
#include "recording/foldersize.h"
#include "recording/imageconfig.h"
#include "speech/lineinput.h"
#include "speech/speech.h"

namespace mg {
namespace {

// Exit code of a burn the user cancelled.
constexpr int kExitCancelled = 2;

[[noreturn]] void Finish(int exitCode = 0) {
  SpeechDone();
  ConsoleDone(exitCode);
}

// A console line that is shown, not spoken.
void WriteLine(const std::string& text) { std::cout << text << std::endl; }

std::string LeafOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Enters the directory and says what it holds, or says "Erro no diretório"; then walks
// its whole tree and names the first entry that cannot be read.
bool CheckSourceDirectory(const std::string& directory, SourceListing& listing) {
  if (!ListSourceDirectory(directory, listing)) {
    SpeakLine("Erro no diret\xf3rio");
    return false;
  }
  SpeakLine(ListingSummary(listing));
  if (!CheckSourceTree(listing)) {
    SpeakLine(CannotReadSentence(listing.unreadable));
    return false;
  }
  const int64_t bytes = EstimateImageBytes(listing);
  if (bytes >= 0) SpeakLine(SizeSentence(bytes));
  return true;
}

// Writes the recorder lines and returns them.
std::vector<std::string> ListRecorders(DiscMaster& master, DiscRecorder& recorder) {
  std::vector<std::string> lines;
  const int count = master.Count();
  for (int i = 0; i < count; ++i) {
    try {
      recorder.InitializeDiscRecorder(master.Item(i));
      const std::string vendor = recorder.VendorId();
      const std::string product = recorder.ProductId();
      lines.push_back(std::to_string(i) + " " + Utf8ToCp1252(vendor) + " " +
                      DiskNameForUser(product));
    } catch (const std::exception& e) {
      std::cerr << "minigravador: " << e.what() << '\n';
      lines.push_back(std::to_string(i) + " n\xe3o pode gravar");
    }
    WriteLine(lines.back());
    // Also after a failure, so that the next recorder surely gets a fresh object.
    recorder.Release();
  }
  return lines;
}

// The written list is said line by line; when the image file is the only recorder, the
// user hears instead that no disc will be burned.
void SpeakRecorders(DiscMaster& master, const std::vector<std::string>& lines) {
  const std::string first = master.Count() == 1 ? master.Item(0) : std::string();
  if (first.rfind("stdio:", 0) == 0) {
    SpeakLine("Nenhum gravador de CD encontrado; a imagem ser\xe1 gravada no arquivo " +
              DiskNameForUser(LeafOf(first)));
    return;
  }
  for (const std::string& line : lines) SpeakText(line);
}

void AddEntries(const SourceListing& listing, DirectoryItem& root) {
  FileStream stream;
  for (const std::string& name : listing.entries) {
    // A link counts as what it leads to. Anything else (gone since the check, a link
    // that now leads nowhere) goes to AddTree, which fails naming it: nothing is left
    // out without a word.
    struct stat st {};
    if (stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      stream = FileStream(name);
      root.AddFile(name, stream);
    } else {
      root.AddTree(name, true);
    }
  }
}

// Where the image file is: said (its name and its folder's), and shown whole.
void SayWhereTheImageIs(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  const std::string where =
      folder == HomeDirectory() ? std::string("pessoal") : DiskNameForUser(LeafOf(folder));
  SpeakLine("A imagem est\xe1 no arquivo " + DiskNameForUser(LeafOf(path)) + ", na pasta " + where);
  WriteLine(DiskNameForUser(path));
}

// Writes, verifies and ejects, and says how it went. A cancelled burn ends the program.
void Burn(DiscRecorder& recorder, DataWriter& writer, DataStream& image) {
  const bool imageFile = recorder.IsImageFile();
  const std::string imagePath = recorder.ImagePath();
  const bool verify = VerifyAfterWriting();
  int differ = 0;
  try {
    BurnWatch watch(writer, ProgressSpoken());
    try {
      writer.Write(image);
      watch.Written();
      if (verify) {
        watch.Finish();
        SpeakLine("Verificando a grava\xe7\xe3o");
        watch.Verifying();
        differ = writer.Verify(image);
      }
    } catch (...) {
      watch.Finish();
      throw;
    }
    watch.Finish();
    recorder.EjectMedia();
    SpeakLine("Grava\xe7\xe3o terminada");
    RememberLastFolder();
  } catch (const WriteCancelled&) {
    SpeakLine("Grava\xe7\xe3o cancelada");
    if (!imageFile) SpeakLine("O disco ficou inutiliz\xe1vel");
    recorder.Release();
    Finish(kExitCancelled);
  } catch (const DiscFailure& e) {
    std::cerr << "minigravador: " << e.what() << '\n';
    SpeakLine("Erro de grava\xe7\xe3o");
    if (!e.Spoken().empty()) SpeakLine(e.Spoken());
    return;
  }
  if (verify) {
    SpeakLine(differ == 0 ? std::string("Grava\xe7\xe3o verificada")
                          : "Erro na verifica\xe7\xe3o: " + std::to_string(differ) +
                                (differ == 1 ? " arquivo diferente" : " arquivos diferentes"));
  }
  if (imageFile) SayWhereTheImageIs(imagePath);
}

void Dialogue() {
  SpeakLine("Mini Gravador de CD");
  std::string discName;
  SpeakLine("Nome do CD (12 letras): ");
  ReadLineSpoken(discName);
  const std::optional<std::string> directory = AskSourceFolder();
  SourceListing listing;
  if (!directory || !CheckSourceDirectory(*directory, listing)) Finish();

  SpeakLine("Insira o CD e aperte Enter quando pronto");
  std::string ignored;
  std::cin.clear();
  std::getline(std::cin, ignored);

  DiscMaster master(ImageFilePath());
  DiscRecorder recorder;
  ImageBuilder builder;
  DataWriter writer;
  if (!master.IsSupportedEnvironment()) {
    SpeakLine("N\xe3o h\xe1 gravadores de CD instalados");
    Finish();
  }
  SpeakRecorders(master, ListRecorders(master, recorder));
  int index = 0;
  if (master.Count() != 1) {
    SpeakLine("Gravador a usar, entre 0 e " + std::to_string(master.Count() - 1) + " : ");
    ReadIntegerSpoken(index);
  }
  recorder.InitializeDiscRecorder(master.Item(index));
  builder.SourceFolders(listing.folders);
  DirectoryItem root = builder.Root();
  writer.Recorder(recorder);
  writer.ClientName("IMAPI");
  writer.SetWriteSpeed(WriteSpeed());
  builder.ChooseImageDefaults(recorder);
  builder.VolumeName(Cp1252ToUtf8(discName));
  SpeakLine("Preparando a grava\xe7\xe3o, aguarde");
  AddEntries(listing, root);
  DataStream image = builder.CreateResultImage().ImageStream();
  // Too big: said before anything is written.
  if (builder.FreeMediaBytes() >= 0 && image.Size() > builder.FreeMediaBytes()) {
    SpeakLine(TooBigSentence(image.Size(), builder.FreeMediaBytes()));
    recorder.Release();
    Finish();
  }
  SpeakLine("Grava\xe7\xe3o iniciada");
  Burn(recorder, writer, image);
  recorder.Release();
}

}  // namespace

void RunRecordingDialogue() {
  SetWindowTitle("Mini Gravador de CD");
  SpeechInit(0, "");
  try {
    Dialogue();
  } catch (const DiscFailure& e) {
    // A failure outside the dialogue's guards ends the run: a short sentence for the
    // user, the technical text on standard error.
    std::cerr << "minigravador: " << e.what() << '\n';
    SpeakLine(e.Spoken().empty() ? std::string("Erro de grava\xe7\xe3o") : e.Spoken());
  } catch (const std::exception& e) {
    std::cerr << "minigravador: " << e.what() << '\n';
    SpeakLine("Erro inesperado; nada foi gravado");
  }
  Finish();
}

}  // namespace mg
