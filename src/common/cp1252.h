// Conversions between the program's cp1252 text and UTF-8, used only at the edges
// that need UTF-8: glyph rendering, the clipboard, file names, espeak-ng.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mg {

// Unicode code point of a cp1252 byte. The five bytes cp1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value.
char32_t Cp1252ToCodePoint(uint8_t byte);

// cp1252 byte for a code point, or -1 when cp1252 cannot hold it.
int CodePointToCp1252(char32_t cp);

std::string Cp1252ToUtf8(std::string_view text);

// UTF-8 to cp1252. Characters cp1252 cannot hold, and malformed sequences, become
// `replacement`; `lossless` (when given) reports whether nothing was replaced.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?', bool* lossless = nullptr);

// Decode one UTF-8 sequence at text[pos]; advances pos. Malformed input yields
// U+FFFD and advances by one byte.
char32_t DecodeUtf8(std::string_view text, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace mg
