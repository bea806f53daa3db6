#include "recording/dialogue.h"

#include <sys/stat.h>

#include <exception>
#include <functional>
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
#include "recording/discwait.h"
#include "recording/folderprompt.h"
#include "recording/foldersize.h"
#include "recording/imageconfig.h"
#include "recording/isoimage.h"
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

// An answer naming an ISO 9660 image file: the user is asked whether to write it as it
// is. Returns its path (for the kernel) when the answer is yes, "" when the answer is
// not such a file; "N" ends the program as a failed directory check does.
std::string ImageFileAnswer(const std::string& answer) {
  const std::string path = SourcePathForKernel(answer);
  int64_t bytes = 0;
  if (!IsIsoImageFile(path, bytes)) return {};
  if (!AskYesNo(IsoImageQuestion(path, bytes))) Finish();
  return path;
}

// Writes the recorder lines and returns them: vendor and product as the scan found
// them, so that no drive is opened (and none waited for) just to be listed.
std::vector<std::string> ListRecorders(DiscMaster& master) {
  std::vector<std::string> lines;
  const int count = master.Count();
  for (int i = 0; i < count; ++i) {
    std::string vendor, product;
    if (master.Describe(i, vendor, product)) {
      lines.push_back(std::to_string(i) + " " + Utf8ToCp1252(vendor) + " " +
                      DiskNameForUser(product));
    } else {
      std::cerr << "minigravador: " << master.Item(i) << ": não pode gravar\n";
      lines.push_back(std::to_string(i) + " n\xe3o pode gravar");
    }
    WriteLine(lines.back());
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

// Writes, verifies and ejects, and says how it went; true when the disc was written. A
// cancelled burn ends the program; after a failure the disc is ejected.
bool Burn(DiscRecorder& recorder, DataWriter& writer, const std::function<void()>& write,
          const std::function<int()>& readBack) {
  const bool imageFile = recorder.IsImageFile();
  const std::string imagePath = recorder.ImagePath();
  const bool verify = VerifyAfterWriting();
  int differ = 0;
  try {
    BurnWatch watch(writer, ProgressSpoken());
    try {
      write();
      watch.Written();
      if (verify) {
        watch.Finish();
        SpeakLine("Verificando a grava\xe7\xe3o");
        watch.Verifying();
        differ = readBack();
      }
    } catch (...) {
      watch.Finish();
      throw;
    }
    watch.Finish();
    recorder.EjectMedia();
    SpeakLine("Grava\xe7\xe3o terminada");
  } catch (const WriteCancelled&) {
    SpeakLine("Grava\xe7\xe3o cancelada");
    if (!imageFile) SpeakLine("O disco ficou inutiliz\xe1vel");
    recorder.Release();
    Finish(kExitCancelled);
  } catch (const DiscFailure& e) {
    std::cerr << "minigravador: " << e.what() << '\n';
    SpeakLine("Erro de grava\xe7\xe3o");
    if (!e.Spoken().empty()) SpeakLine(e.Spoken());
    EjectAfterFailure(recorder);
    return false;
  }
  if (verify) {
    SpeakLine(differ == 0 ? std::string("Grava\xe7\xe3o verificada")
                          : "Erro na verifica\xe7\xe3o: " + std::to_string(differ) +
                                (differ == 1 ? " arquivo diferente" : " arquivos diferentes"));
  }
  if (imageFile) SayWhereTheImageIs(imagePath);
  return true;
}

// Grabs the chosen recorder with a disc that can be written; ends the program when the
// user leaves instead.
void GetDisc(DiscRecorder& recorder, const std::string& address) {
  const DiscReady ready = PrepareDisc(recorder, address);
  if (ready == DiscReady::Cancelled) {
    recorder.Release();
    Finish(kExitCancelled);
  }
  if (ready == DiscReady::Left) Finish();
}

// Room for `bytes` on the disc, or another disc asked for until there is; an image file
// with too little room ends the program.
void CheckRoom(DiscRecorder& recorder, const std::string& address, int64_t bytes,
               const std::function<int64_t()>& freeBytes,
               const std::function<std::string(int64_t, int64_t)>& sentence) {
  for (int64_t room = freeBytes(); room >= 0 && bytes > room; room = freeBytes()) {
    SpeakLine(sentence(bytes, room));
    if (recorder.IsImageFile()) {
      recorder.Release();
      Finish();
    }
    recorder.EjectMedia();
    if (!AskForDisc()) Finish();
    GetDisc(recorder, address);
  }
}

// Builds the image of the listed directory, checks the room for it and burns it.
void BurnDirectory(DiscRecorder& recorder, const std::string& address, ImageBuilder& builder,
                   DataWriter& writer, const SourceListing& listing, const std::string& discName) {
  builder.SourceFolders(listing.folders);
  DirectoryItem root = builder.Root();
  builder.ChooseImageDefaults(recorder);
  builder.VolumeName(Cp1252ToUtf8(discName));
  SpeakLine("Preparando a grava\xe7\xe3o, aguarde");
  AddEntries(listing, root);
  DataStream image = builder.CreateResultImage().ImageStream();
  // Too big: said before anything is written.
  const auto room = [&] {
    builder.ChooseImageDefaults(recorder);
    return builder.FreeMediaBytes();
  };
  CheckRoom(recorder, address, image.Size(), room, TooBigSentence);
  SpeakLine("Grava\xe7\xe3o iniciada");
  // Only a folder is offered again at the next start, not an image file.
  if (Burn(
          recorder, writer, [&] { writer.Write(image); }, [&] { return writer.Verify(image); })) {
    RememberLastFolder();
  }
}

// Writes an ISO image file as it is, after the same room check.
void BurnImageFile(DiscRecorder& recorder, const std::string& address, DataWriter& writer,
                   const std::string& isoFile) {
  int64_t bytes = 0;
  if (!IsIsoImageFile(isoFile, bytes)) {
    throw DiscFailure(isoFile + ": não é mais uma imagem ISO", CannotReadSentence(LeafOf(isoFile)));
  }
  // On a CD the drive pads the track (kCdTailBlocks), which needs room too.
  const auto room = [&] {
    ImageBuilder probe;
    probe.ChooseImageDefaults(recorder);
    const int64_t free = probe.FreeMediaBytes();
    return free < 0 ? free : free - (probe.ForCd() ? int64_t{kCdTailBlocks} * 2048 : 0);
  };
  CheckRoom(recorder, address, bytes, room, ImageTooBigSentence);
  SpeakLine("Grava\xe7\xe3o iniciada");
  Burn(
      recorder, writer, [&] { writer.WriteFile(isoFile); },
      [&] { return writer.VerifyFile(isoFile); });
}

void Dialogue() {
  SpeakLine("Mini Gravador de CD");
  std::string discName;
  SpeakLine("Nome do CD (12 letras): ");
  ReadLineSpoken(discName);
  const std::optional<std::string> directory = AskSourceFolder();
  SourceListing listing;
  if (!directory) Finish();
  const std::string isoFile = ImageFileAnswer(*directory);
  if (isoFile.empty() && !CheckSourceDirectory(*directory, listing)) Finish();

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
  SpeakRecorders(master, ListRecorders(master));
  int index = 0;
  if (master.Count() != 1) {
    SpeakLine("Gravador a usar, entre 0 e " + std::to_string(master.Count() - 1) + " : ");
    ReadIntegerSpoken(index);
  }
  const std::string address = master.Item(index);
  GetDisc(recorder, address);
  try {
    writer.Recorder(recorder);
    writer.ClientName("IMAPI");
    writer.SetWriteSpeed(WriteSpeed());
    if (isoFile.empty()) {
      BurnDirectory(recorder, address, builder, writer, listing, discName);
    } else {
      BurnImageFile(recorder, address, writer, isoFile);
    }
  } catch (const DiscFailure&) {
    // Whatever failed, the disc comes out so that the user can take it.
    EjectAfterFailure(recorder);
    throw;
  }
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
