// Where the image-file recorder writes: Sonela.ini, section GRAVADOR, key IMAGEM.
#pragma once

#include <string>
#include <string_view>

namespace mg {

// The configured image file as an absolute Linux path ("~" and the suite's Windows-style
// paths allowed; a relative path is taken from the home directory), or "" when the key
// is missing or empty: then there is no image-file recorder.
std::string ImageFilePath();

// The same for a value as read from the file (cp1252).
std::string ImageFilePathFromValue(std::string_view value);

// Keys PROGRESSO (the percentage said while writing) and VERIFICAR (the written disc read
// back and compared): on unless the value begins with "N" or "n".
bool ProgressSpoken();
bool VerifyAfterWriting();
bool GravadorKeyOn(std::string_view value);

// Key VELOCIDADE: the write speed in kilobytes per second; 0 (the fastest) when the
// value is missing, empty or not a positive number.
int WriteSpeed();
int WriteSpeedFromValue(std::string_view value);

}  // namespace mg
