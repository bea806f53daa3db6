// A small program over the console for end-to-end tests: writes lines through
// std::cout, reads a line through std::cin, then shows the codes of the keys read
// until Escape (an "a" after a code: Alt held; "s": Shift held), and ends.
#include <iostream>
#include <string>

#include "console/console.h"

int main() {
  mg::BindStandardStreams();
  std::cout << "Sonda do console" << std::endl;  // flushes, so the attribute applies
  const uint8_t start = mg::TextAttribute();
  mg::SetTextAttribute(0x42);
  std::cout << "verde" << std::flush;
  mg::SetTextAttribute(start);
  std::cout << " fim" << std::endl;
  std::cout << "Nome: " << std::flush;
  std::string line;
  std::getline(std::cin, line);
  std::cout << "Lido: [" << line << "]" << std::endl;
  std::cout << "Teclas:" << std::flush;
  for (;;) {
    const uint8_t key = mg::ReadKey();
    if (key == 27) break;
    std::cout << ' ' << static_cast<int>(key) << (mg::AltHeld() ? "a" : "")
              << (mg::ShiftHeld() ? "s" : "") << std::flush;
  }
  std::cout << std::endl << "Fim." << std::endl;
  mg::ConsoleDone();
}
