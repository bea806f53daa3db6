// Any bytes as the IMAGEM value of Sonela.ini: no image file, or an absolute Linux path.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "recording/imageconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      mg::ImageFilePathFromValue(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!path.empty() && path[0] != '/') std::abort();
  return 0;
}
