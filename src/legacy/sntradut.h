// snTradut: the legacy diphone synthesizer (the sound side of the legacy translator).
#pragma once

#include <string>
#include <string_view>

namespace mg {

// 0 on success, 1 when a directory or the diphone database cannot be used, 2 when
// "regras.rgr" or "portug.exc" cannot be opened.
int IniciaTradutor();
void FechaTradutor();
void AjustaParametros(int trim, int minimum, int pauseBetweenWords);
void FalaFonemas(std::string_view phonemeString);

// Who plays a full sound buffer (a wave block with its 44-byte header). The speech
// manager installs PlayWaveBlock; tools install a writer. Without one, blocks are dropped.
using BlockPlayer = void (*)(const unsigned char* block, unsigned size);
void SetBlockPlayer(BlockPlayer player);
// The database name ("DIFONES2" after IniciaTradutor), for the start-up error line.
std::string NomeBancoDeVoz();
// The translator's own copy of the letters directory (from TRADUTOR/dirLetras).
std::string DiretorioLetras();

// IniciaTradutor with the two directories given (suite paths, as in Sonela.ini) instead
// of read from the configuration; same result codes. Tools and tests use it.
int IniciaTradutorEm(std::string_view dirLetras, std::string_view dirDifones);

// Called for every unit name looked up in the index (upper case), with whether the index
// holds it. When it returns true for a missing unit, the unit counts as found and plays
// nothing: the voice kit records the inventory this way without the fall-backs.
using UnitLookupHook = bool (*)(const std::string& name, bool found);
void SetUnitLookupHook(UnitLookupHook hook);

}  // namespace mg
