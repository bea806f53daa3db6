// mbrolachild: one child process on three pipes, the plumbing under the MBROLA calls
// (mbrola.cpp). It starts the program with its standard input, output and error on
// pipes of ours, moves bytes without ever blocking, sleeps until one of them is ready,
// and ends and reaps the child. It knows nothing of MBROLA's input or output.
//
// Called on the main thread only. Our ends of the pipes are non-blocking and
// close-on-exec; SIGPIPE is ignored in this process (a write to a child that has gone
// fails with EPIPE instead) and set back to its default in the child.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mg {

class ProcessoFilho {
 public:
  ProcessoFilho() = default;
  ~ProcessoFilho() { Encerra(); }
  ProcessoFilho(const ProcessoFilho&) = delete;
  ProcessoFilho& operator=(const ProcessoFilho&) = delete;

  // Starts `programa` (an absolute path) with `argumentos` (argv[1]...), ending any child
  // this object ran before. False, with the reason in `erro` (cp1252), when the pipes
  // or the process cannot be made; no descriptor and no child are left then.
  bool Inicia(const std::string& programa, const std::vector<std::string>& argumentos,
              std::string& erro);

  // Writes what fits now: the number of bytes taken (0 when its input pipe is full), or
  // -1 when the child no longer reads its input (it ended or closed it).
  ssize_t Escreve(std::string_view bytes);

  // Appends to `destino` what its standard output holds now; the number of bytes read.
  // The end of its output (the child ended) shows in SaidaTerminou().
  size_t LeSaida(std::vector<uint8_t>& destino);

  // Reads what its standard error holds now; every complete line (without the line end,
  // cut at 1024 bytes) goes to `linha`, and so does a last line without one at the end.
  void LeErro(const std::function<void(const std::string&)>& linha);

  // Sleeps until its output or error has something, input has room (`querEscrever`),
  // one of them hangs up, or `ms` pass.
  void Aguarda(int ms, bool querEscrever) const;

  bool Ativo() const { return pid_ > 0; }
  bool SaidaTerminou() const { return fimSaida_; }
  pid_t Pid() const { return pid_; }
  // Our end of its standard output, -1 without a child: for a caller that waits on it
  // among other descriptors. Only read it through LeSaida.
  int DescritorSaida() const { return saida_; }

  // Closes our ends (its input ends, and a write of its own then fails) and reaps it;
  // one that has not exited within `gracaMs` is killed. No zombie is left.
  void Encerra(int gracaMs = 500);

 private:
  pid_t pid_ = 0;
  int entrada_ = -1, saida_ = -1, erro_ = -1;
  bool fimSaida_ = false;
  std::string linhaErro_;
};

}  // namespace mg
