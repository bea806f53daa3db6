// sninter: legacy letter-to-sound translation of cp1252 text into the legacy phoneme
// string (words in square brackets, units separated by "/").
#pragma once

#include <string>
#include <string_view>

namespace mg {

std::string TraduzTexto(std::string_view text);

}  // namespace mg
