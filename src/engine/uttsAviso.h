// Messages of the engine's data-file loaders. The program shows them in a message box;
// tools and tests install their own receiver to read them.
#pragma once

#include <functional>
#include <string>

namespace mg {

// Receives one message, cp1252.
using AvisoMotor = std::function<void(const std::string& mensagem)>;

// Installs the receiver; an empty function restores the default (standard error, UTF-8).
void DefineAvisoMotor(AvisoMotor receptor);

// Hands one message to the receiver.
void Avisa(const std::string& mensagem);

}  // namespace mg
