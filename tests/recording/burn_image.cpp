// Writes a directory to an image file through the disc service, the way the dialogue
// does, and prints the seconds it took. Used by bench_image.sh.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <exception>

#include "recording/dircheck.h"
#include "recording/discservice.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SOURCE-DIR IMAGE-FILE\n", argv[0]);
    return 2;
  }
  const std::string image = argv[2][0] == '/' ? argv[2] : std::string();
  if (image.empty()) {
    std::fprintf(stderr, "IMAGE-FILE must be an absolute path\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  try {
    mg::SourceListing listing;
    if (!mg::ListSourceDirectory(argv[1], listing)) {
      std::fprintf(stderr, "cannot enter %s\n", argv[1]);
      return 1;
    }
    mg::DiscMaster master(image, "/nonexistent");
    mg::DiscRecorder recorder;
    mg::ImageBuilder builder;
    mg::DataWriter writer;
    recorder.InitializeDiscRecorder(master.Item(master.Count() - 1));
    mg::DirectoryItem root = builder.Root();
    writer.Recorder(recorder);
    builder.ChooseImageDefaults(recorder);
    builder.VolumeName("BENCH");
    mg::FileStream stream;
    for (const std::string& name : listing.entries) {
      struct stat st {};
      if (lstat(name.c_str(), &st) != 0) continue;
      if (S_ISREG(st.st_mode)) {
        stream = mg::FileStream(name);
        root.AddFile(name, stream);
      } else {
        root.AddTree(name, true);
      }
    }
    mg::DataStream data = builder.CreateResultImage().ImageStream();
    writer.Write(data);
    recorder.Release();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    return 1;
  }
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f\n", s);
  return 0;
}
