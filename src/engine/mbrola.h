// mbrola: the MBROLA diphone synthesizer, reached through the `mbrola` program (Debian's
// package of that name; voices such as mbrola-br4). One long-lived child process per
// start runs `mbrola -e VOICE - -.raw`: it reads MBROLA input lines on its standard
// input and writes raw 16-bit samples (the voice's rate, 16000 Hz for br4) on its
// standard output. The seven calls below are all the engine uses; the process and its
// pipes are mbrolachild's. All of it runs on the main thread.
//
// The end of an utterance is known from the samples' count, not from anything mbrola
// says: its output for a flushed section is the lines' durations times the voice's rate
// (a few milliseconds short at most). read_MBR counts the durations of the lines sent
// and, after flush_MBR, has all of the utterance once that many samples (less a 25 ms
// allowance) have come and the output has been quiet for 20 ms. The voice's rate is
// measured at start-up on a short silence. A write that would block reads the child's
// output meanwhile (two full pipes would otherwise stall both sides).
//
// Every wait has a deadline and gives way to a key (DefineInterrupcaoMbrola). A child
// that dies (a line MBROLA rejects ends it) or cannot start is reaped; one that stops
// answering is given up once per utterance: until the next reset_MBR, init_MBR and
// write_MBR fail at once instead of waiting for it again. No zombie, no child left.
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
// loaded the voice and answers (the samples of a short silence). 0, or -1 when the
// program is not loaded, the voice is missing or not a voice (mbrola exits), the child
// does not answer in time, a key ended the wait, or a child already failed to answer
// since the last reset_MBR. A child of an earlier init_MBR is closed first. The very
// first start of the program does not give way to a key (a key typed ahead must not
// cost the engine); every later one (a recovery) does.
int init_MBR(const char* voz);
// Sends text (one or more MBROLA input lines). 0, or -1 when the child is gone or stuck,
// or a key ended a wait for room in its input.
int write_MBR(const char* linhas);
// Sends MBROLA's flush line ("#"): the rest of the input is synthesized and read_MBR
// will wait for all of it.
void flush_MBR();
// Copies up to `maximo` samples into `destino`; returns their number. Without a flush
// outstanding it returns what is there now (often 0). After flush_MBR it waits for the
// samples, and returns 0 once every sample of the flushed input has been returned.
// -1: the child died, stopped answering within the deadline, or (with the ignore-errors
// value 0) met an unknown diphone. A wait abandoned because the interrupt predicate
// answered yes returns 0. A child that falls silent for the wait's deadline after giving
// at least half of what was asked is taken to have finished (an mbrola whose output
// runs shorter than the durations say).
int read_MBR(int16_t* destino, int maximo);
// Starts an utterance: discards everything pending (unflushed input, samples not yet
// read) and ends the giving-up of a child that did not answer. A child with work still
// in hand, or that died or stopped answering, is replaced by a new one on the same voice.
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
// Unknown-diphone warnings met since init_MBR.
int DifonesDesconhecidosMbrola();
// One line of mbrola's standard error: whether it reports an unknown diphone (only the
// ignore-errors value 0 makes that an error; nothing else depends on the wording).
struct AvisoMbrola {
  bool difoneDesconhecido = false;
};
AvisoMbrola ClassificaAvisoMbrola(std::string_view linha);
// Milliseconds of sound that MBROLA input lines ask for: the second field of every
// phoneme line; comments (";"), flush lines ("#"), blank lines and lines whose
// duration is not a number count 0. Never negative, at most 10^9.
double DuracaoLinhasMbrola(std::string_view linhas);

// Samples per second of the running voice as measured at start-up (16000 before).
int TaxaMbrola();
// Our end of the child's standard output, -1 without a child: a caller that waits for
// samples among other descriptors may poll it for reading (and then call read_MBR).
int DescritorSaidaMbrola();

// Process id of the running child, 0 when there is none (tests).
pid_t ProcessoMbrola();

// Called about every 10 ms while a call waits for the child; answering yes abandons the
// wait (the speech manager answers yes when a key is waiting). Empty: never.
void DefineInterrupcaoMbrola(std::function<bool()> interrompe);
// Deadlines in milliseconds: for the child to load its voice and answer, and for any
// other wait without progress. Defaults 5000 and 2000.
void DefinePrazosMbrola(int inicioMs, int esperaMs);

}  // namespace mg
