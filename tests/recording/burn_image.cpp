// Writes a directory to an image file through the disc service, the way the dialogue
// does, and prints the seconds it took; then verifies the image and prints the seconds
// that took, on the same line. Used by bench_image.sh. An ISO image file given as the
// source is written as it is, block for block, and compared with the copy.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <exception>

#include "recording/dircheck.h"
#include "recording/discservice.h"
#include "recording/isoimage.h"

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
    int64_t isoBytes = 0;
    if (mg::IsIsoImageFile(argv[1], isoBytes)) {
      mg::DiscMaster master(image, "/nonexistent");
      mg::DiscRecorder recorder;
      mg::DataWriter writer;
      recorder.InitializeDiscRecorder(master.Item(master.Count() - 1));
      writer.Recorder(recorder);
      writer.WriteFile(argv[1]);
      const auto written = std::chrono::steady_clock::now();
      const int differ = writer.VerifyFile(argv[1]);
      const auto verified = std::chrono::steady_clock::now();
      recorder.Release();
      if (differ != 0) {
        std::fprintf(stderr, "verification: the copy differs\n");
        return 1;
      }
      std::printf("%.3f %.3f\n", std::chrono::duration<double>(written - start).count(),
                  std::chrono::duration<double>(verified - written).count());
      return 0;
    }
    mg::SourceListing listing;
    if (!mg::ListSourceDirectory(argv[1], listing) || !mg::CheckSourceTree(listing)) {
      std::fprintf(stderr, "cannot record %s\n", argv[1]);
      return 1;
    }
    mg::DiscMaster master(image, "/nonexistent");
    mg::DiscRecorder recorder;
    mg::ImageBuilder builder;
    mg::DataWriter writer;
    recorder.InitializeDiscRecorder(master.Item(master.Count() - 1));
    builder.SourceFolders(listing.folders);
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
    const auto written = std::chrono::steady_clock::now();
    const int differ = writer.Verify(data);
    const auto verified = std::chrono::steady_clock::now();
    recorder.Release();
    if (differ != 0) {
      std::fprintf(stderr, "verification: %d files differ\n", differ);
      return 1;
    }
    std::printf("%.3f %.3f\n", std::chrono::duration<double>(written - start).count(),
                std::chrono::duration<double>(verified - written).count());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
