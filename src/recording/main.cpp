// Temporary program body: shows the banner and waits for one line, so that the
// console can be tried before the recording dialogue is in place.
#include <iostream>
#include <string>

#include "console/console.h"

int main() {
  mg::BindStandardStreams();
  std::cout << "Mini Gravador de CD para Windows 7" << std::endl;
  std::cout << "Vers\xe3o provis\xf3ria: aperte Enter para sair" << std::endl;
  std::string line;
  std::getline(std::cin, line);
  mg::ConsoleDone();
}
