#include "recording/dialogue.h"

#include <sys/stat.h>

#include <exception>
#include <iostream>
#include <string>

#include "common/cp1252.h"
#include "console/console.h"
#include "recording/dircheck.h"
#include "recording/discservice.h"
#include "recording/imageconfig.h"
#include "speech/lineinput.h"
#include "speech/speech.h"

namespace mg {
namespace {

[[noreturn]] void Finish() {
  SpeechDone();
  ConsoleDone();
}

// A console line that is shown, not spoken.
void WriteLine(const std::string& text) { std::cout << text << std::endl; }

// Enters the directory and says what it holds, or says "Erro no diretório".
bool CheckSourceDirectory(const std::string& directory, SourceListing& listing) {
  if (!ListSourceDirectory(directory, listing)) {
    SpeakLine("Erro no diret\xf3rio");
    return false;
  }
  SpeakLine(ListingSummary(listing));
  return true;
}

void ListRecorders(DiscMaster& master, DiscRecorder& recorder) {
  const int count = master.Count();
  for (int i = 0; i < count; ++i) {
    try {
      recorder.InitializeDiscRecorder(master.Item(i));
      const std::string vendor = recorder.VendorId();
      const std::string product = recorder.ProductId();
      WriteLine(std::to_string(i) + " " + Utf8ToCp1252(vendor) + " " + Utf8ToCp1252(product));
    } catch (const std::exception& e) {
      std::cerr << "minigravador: " << e.what() << '\n';
      WriteLine(std::to_string(i) + " n\xe3o pode gravar");
    }
    // Also after a failure, so that the next recorder surely gets a fresh object.
    recorder.Release();
  }
}

void AddEntries(const SourceListing& listing, DirectoryItem& root) {
  FileStream stream;
  for (const std::string& name : listing.entries) {
    struct stat st {};
    if (lstat(name.c_str(), &st) != 0) continue;  // gone since the check
    if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode)) {
      // A link is recorded as a link, whatever it points to.
      root.AddTree(name, true);
    } else if (S_ISREG(st.st_mode)) {
      stream = FileStream(name);
      root.AddFile(name, stream);
    }
  }
}

void Dialogue() {
  SpeakLine("Mini Gravador de CD para Windows 7");
  std::string discName;
  SpeakLine("Nome do CD (12 letras): ");
  ReadLineSpoken(discName);
  std::string directory;
  SpeakLine("Nome do diret\xf3rio a gravar");
  ReadLineSpoken(directory);
  SourceListing listing;
  if (!CheckSourceDirectory(directory, listing)) Finish();

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
  ListRecorders(master, recorder);
  int index = 0;
  if (master.Count() != 1) {
    SpeakLine("Gravador a usar, entre 0 e " + std::to_string(master.Count() - 1) + " : ");
    ReadIntegerSpoken(index);
  }
  recorder.InitializeDiscRecorder(master.Item(index));
  DirectoryItem root = builder.Root();
  writer.Recorder(recorder);
  writer.ClientName("IMAPI");
  writer.SetPump([] { PauseMs(50); });
  builder.ChooseImageDefaults(recorder);
  builder.VolumeName(Cp1252ToUtf8(discName));
  SpeakLine("Preparando a grava\xe7\xe3o, aguarde");
  AddEntries(listing, root);
  DataStream image = builder.CreateResultImage().ImageStream();
  SpeakLine("Grava\xe7\xe3o iniciada");
  try {
    writer.Write(image);
    recorder.EjectMedia();
    SpeakLine("Grava\xe7\xe3o terminada");
  } catch (const std::exception& e) {
    std::cerr << "minigravador: " << e.what() << '\n';
    SpeakLine("Erro de grava\xe7\xe3o");
  }
  recorder.Release();
}

}  // namespace

void RunRecordingDialogue() {
  SpeechInit(0, "");
  try {
    Dialogue();
  } catch (const std::exception& e) {
    // A failure outside the dialogue's two guards ends the run, said and shown.
    std::cerr << "minigravador: " << e.what() << '\n';
    SpeakLine("Erro: " + Utf8ToCp1252(e.what()));
  }
  Finish();
}

}  // namespace mg
