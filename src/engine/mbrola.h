// mbrola: the MBROLA diphone synthesizer, reached through the `mbrola` program (Debian's
// package of that name; voices such as mbrola-br4). One long-lived child process per
// start runs `mbrola -e VOICE - -.raw`: it reads MBROLA input lines on its standard
// input and writes raw 16-bit samples (the voice's rate, 16000 Hz for br4) on its
// standard output. This file is the only one that talks to the child; everything else
// of the engine uses the seven calls below. All of it runs on the main thread.
//
// Pipes: all three are non-blocking and SIGPIPE is ignored. A write that would block
// reads the child's output meanwhile (two full pipes would otherwise stall both sides).
// mbrola writes the samples of a flushed section before it reads further input, and
// with -e it reports each unknown diphone on standard error; flush_MBR therefore follows
// the flush line with a numbered marker phoneme that no voice holds: its warning on
// standard error means every sample of the flushed input is already in the pipe.
//
// Every wait has a deadline. A child that dies (a line MBROLA rejects ends it), stops
// answering or cannot start is reaped; no zombie and no child is ever left behind.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mg {

// Finds the mbrola program: the directories of PATH in order, or /usr/bin/mbrola when
// PATH is unset or empty (the search a shell makes). False when there is none.
bool CarregaMbrola();
// Forgets the program; a running child is closed first.
void DescarregaMbrola();
// The program found by CarregaMbrola (Linux path), empty before.
const std::string& ProgramaMbrola();

// Starts the child on the voice database `voz` (Linux path) and waits until it has
// loaded the voice and answers. 0, or -1 when the program is not loaded, the voice is
// missing or not a voice (mbrola exits), or the child does not answer in time. A child
// of an earlier init_MBR is closed first.
int init_MBR(const char* voz);
// Sends text (one or more MBROLA input lines). 0, or -1 when the child is gone or stuck.
int write_MBR(const char* linhas);
// Sends MBROLA's flush line ("#") and the end marker: the rest of the input is
// synthesized and read_MBR will wait for all of it.
void flush_MBR();
// Copies up to `maximo` samples into `destino`; returns their number. Without a flush
// outstanding it returns what is there now (often 0). After flush_MBR it waits for the
// samples, and returns 0 once every sample of the flushed input has been returned.
// -1: the child died, stopped answering within the deadline, or (with the ignore-errors
// value 0) met an unknown diphone. A wait abandoned because the interrupt predicate
// answered yes returns 0.
int read_MBR(int16_t* destino, int maximo);
// Discards everything pending: unflushed input and samples not yet read. A child that
// died or stopped answering is replaced by a new one on the same voice.
void reset_MBR();
// MBROLA's ignore-errors setting. The child always runs with -e (without it, mbrola
// exits at the first unknown diphone); 0 makes read_MBR report an unknown diphone as an
// error, any other value lets synthesis go on past it with silence.
void setNoError_MBR(int valor);
// Ends the child (end of its input; killed when it does not exit within 500 ms) and
// reaps it.
void close_MBR();

// The last message of mbrola's standard error or of this driver (for diagnostics).
const std::string& lastErrorStr_MBR();
// Unknown-diphone warnings met since init_MBR (the end markers are not counted).
int DifonesDesconhecidosMbrola();
// One line of mbrola's standard error: the number of an end marker's warning (0 when
// the line is none), or whether it reports an unknown diphone. Exposed for tests.
struct AvisoMbrola {
  unsigned marca = 0;
  bool difoneDesconhecido = false;
};
AvisoMbrola ClassificaAvisoMbrola(std::string_view linha);

// Process id of the running child, 0 when there is none (tests).
pid_t ProcessoMbrola();

// Called about every 10 ms while a call waits for the child; answering yes abandons the
// wait (the speech manager answers yes when a key is waiting). Empty: never.
void DefineInterrupcaoMbrola(std::function<bool()> interrompe);
// Deadlines in milliseconds: for the child to load its voice and answer, and for any
// other wait without progress. Defaults 5000 and 2000.
void DefinePrazosMbrola(int inicioMs, int esperaMs);

}  // namespace mg
