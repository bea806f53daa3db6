#include "engine/mbrola.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace mg {
namespace {

using Relogio = std::chrono::steady_clock;

// Name of the end marker phoneme, followed by its number. No voice has such a phoneme,
// so mbrola -e reports "Warning: _-mgfimN unknown, replaced with _-_" and plays nothing.
constexpr std::string_view kMarca = "mgfim";
// Samples held for read_MBR before the child is judged broken (about 17 minutes).
constexpr size_t kMaxFila = 16u << 20;
constexpr size_t kMaxLinhaErro = 1024;

struct Estado {
  std::string programa;
  std::string voz;  // voice of the started engine; empty before init_MBR, after close_MBR
  pid_t pid = 0;    // running child, 0 when none
  int entrada = -1, saida = -1, erro = -1;  // our ends of its stdin, stdout and stderr
  bool fimSaida = false;                    // its stdout ended: it is gone
  bool pendente = false;                    // input sent and not yet confirmed by a marker
  bool esperandoMarca = false;              // a flush awaits its marker
  unsigned marcaEnviada = 0, marcaVista = 0;
  std::vector<int16_t> fila;  // samples read from the child, not yet returned
  size_t inicio = 0;          // first unreturned sample in `fila`
  bool temByte = false;       // the first byte of a sample split between two reads
  uint8_t byte = 0;
  std::vector<uint8_t> bruto = std::vector<uint8_t>(65536);
  std::string linhaErro;
  std::string ultimoErro;
  int desconhecidos = 0;
  bool erroDifone = false;
  int semErro = 0;
  std::function<bool()> interrompe;
  int prazoInicio = 5000, prazoEspera = 2000;
};

Estado& E() {
  static Estado e;
  return e;
}

size_t Disponiveis() { return E().fila.size() - E().inicio; }

void Descarta() {
  Estado& e = E();
  e.fila.clear();
  e.inicio = 0;
  e.temByte = false;
}

void FechaFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Ends the running child and reaps it: closing its pipes ends its input (and a write of
// its own then fails); one that has not exited within 500 ms is killed.
void Encerra() {
  Estado& e = E();
  FechaFd(e.entrada);
  FechaFd(e.saida);
  FechaFd(e.erro);
  if (e.pid > 0) {
    bool reaped = false;
    const auto limite = Relogio::now() + std::chrono::milliseconds(500);
    while (!reaped) {
      const pid_t r = waitpid(e.pid, nullptr, WNOHANG);
      if (r == e.pid || (r < 0 && errno == ECHILD)) {
        reaped = true;
      } else if (Relogio::now() >= limite) {
        break;
      } else {
        usleep(2000);
      }
    }
    if (!reaped) {
      kill(e.pid, SIGKILL);
      while (waitpid(e.pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  e.pid = 0;
  e.fimSaida = false;
  e.pendente = false;
  e.esperandoMarca = false;
  e.linhaErro.clear();
}

void LinhaDeErro(const std::string& linha) {
  Estado& e = E();
  if (linha.empty()) return;
  const AvisoMbrola aviso = ClassificaAvisoMbrola(linha);
  if (aviso.marca > 0) {
    // Only a marker that was sent counts.
    if (aviso.marca <= e.marcaEnviada && aviso.marca > e.marcaVista) e.marcaVista = aviso.marca;
    return;
  }
  if (aviso.difoneDesconhecido) {
    ++e.desconhecidos;
    e.erroDifone = true;
  }
  e.ultimoErro = linha;
}

// Takes in what the child wrote on its standard error, without waiting.
void LeErro() {
  Estado& e = E();
  char buf[1024];
  while (e.erro >= 0) {
    const ssize_t n = read(e.erro, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (n < 0 && errno != EAGAIN)) {
      LinhaDeErro(e.linhaErro);
      e.linhaErro.clear();
      FechaFd(e.erro);
    }
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] == '\n') {
        LinhaDeErro(e.linhaErro);
        e.linhaErro.clear();
      } else if (buf[i] != '\r' && e.linhaErro.size() < kMaxLinhaErro) {
        e.linhaErro += buf[i];
      }
    }
  }
}

void Acrescenta(const uint8_t* p, size_t n) {
  Estado& e = E();
  if (e.inicio > 0 && e.inicio * 2 >= e.fila.size()) {
    e.fila.erase(e.fila.begin(), e.fila.begin() + static_cast<std::ptrdiff_t>(e.inicio));
    e.inicio = 0;
  }
  size_t i = 0;
  if (e.temByte && n > 0) {
    e.fila.push_back(static_cast<int16_t>(e.byte | (p[0] << 8)));
    e.temByte = false;
    i = 1;
  }
  for (; i + 1 < n; i += 2) e.fila.push_back(static_cast<int16_t>(p[i] | (p[i + 1] << 8)));
  if (i < n) {
    e.byte = p[i];
    e.temByte = true;
  }
}

// Takes in every sample the child has written so far, without waiting; the number of
// bytes read. An end of its output (or a flood no reader asked for) marks it gone.
size_t LeSaida() {
  Estado& e = E();
  size_t lidos = 0;
  while (e.saida >= 0 && !e.fimSaida) {
    const ssize_t n = read(e.saida, e.bruto.data(), e.bruto.size());
    if (n > 0) {
      Acrescenta(e.bruto.data(), static_cast<size_t>(n));
      lidos += static_cast<size_t>(n);
      if (Disponiveis() > kMaxFila) {
        e.ultimoErro =
            "mbrola: sa\xed"
            "da sem fim";
        e.fimSaida = true;
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || errno != EAGAIN) e.fimSaida = true;
    break;
  }
  return lidos;
}

enum class Fim { Pronto, Interrompido, Prazo, Morto };

// Waits until `pronto` holds, taking in the child's output meanwhile. The deadline
// counts from the last output that arrived. `interrompivel`: the interrupt predicate is
// asked once the wait has lasted a poll period.
template <class F>
Fim Espera(F pronto, int prazoMs, bool interrompivel) {
  Estado& e = E();
  const auto comeco = Relogio::now();
  auto limite = comeco + std::chrono::milliseconds(prazoMs);
  for (;;) {
    LeErro();
    if (LeSaida() > 0) limite = Relogio::now() + std::chrono::milliseconds(prazoMs);
    if (pronto()) return Fim::Pronto;
    if (e.fimSaida) return Fim::Morto;
    const auto agora = Relogio::now();
    if (agora >= limite) return Fim::Prazo;
    if (interrompivel && e.interrompe && agora - comeco >= std::chrono::milliseconds(10) &&
        e.interrompe()) {
      return Fim::Interrompido;
    }
    pollfd p[2] = {{e.saida, POLLIN, 0}, {e.erro, POLLIN, 0}};
    poll(p, 2, 10);
  }
}

// Writes all of `texto` to the child, reading its output whenever the input pipe is
// full. False when the child is gone, stuck, or the wait was interrupted.
bool Envia(std::string_view texto) {
  Estado& e = E();
  size_t feito = 0;
  const auto comeco = Relogio::now();
  auto limite = comeco + std::chrono::milliseconds(e.prazoEspera);
  while (feito < texto.size()) {
    const ssize_t n = write(e.entrada, texto.data() + feito, texto.size() - feito);
    if (n > 0) {
      feito += static_cast<size_t>(n);
      limite = Relogio::now() + std::chrono::milliseconds(e.prazoEspera);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {  // EPIPE: nobody reads its input any more
      e.ultimoErro = "mbrola: terminou";
      Encerra();
      return false;
    }
    LeErro();
    if (LeSaida() > 0) limite = Relogio::now() + std::chrono::milliseconds(e.prazoEspera);
    if (e.fimSaida) {
      Encerra();
      return false;
    }
    const auto agora = Relogio::now();
    if (agora >= limite) {
      e.ultimoErro = "mbrola: n\xe3o responde";
      Encerra();
      return false;
    }
    if (e.interrompe && agora - comeco >= std::chrono::milliseconds(10) && e.interrompe()) {
      return false;  // what was sent stays pending; reset_MBR discards it
    }
    pollfd p[3] = {{e.entrada, POLLOUT, 0}, {e.saida, POLLIN, 0}, {e.erro, POLLIN, 0}};
    poll(p, 3, 10);
  }
  return true;
}

bool EnviaMarca() {
  Estado& e = E();
  const unsigned n = ++e.marcaEnviada;
  std::string s = "#\n";
  s += kMarca;
  s += std::to_string(n) + " 0\n#\n";
  e.pendente = true;
  if (!Envia(s)) return false;
  e.esperandoMarca = true;
  return true;
}

// A descriptor above the standard three, so that the child's dup2 onto 0-2 never meets
// itself (which would keep close-on-exec set).
bool AcimaDosPadroes(int& fd) {
  if (fd > 2) return true;
  const int novo = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  fd = novo;
  return fd > 2;
}

bool Tubo(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  if (AcimaDosPadroes(fds[0]) && AcimaDosPadroes(fds[1])) return true;
  for (int i = 0; i < 2; ++i)
    if (fds[i] >= 0) close(fds[i]);
  return false;
}

void NaoBloqueia(int fd) {
  const int f = fcntl(fd, F_GETFL);
  if (f >= 0) fcntl(fd, F_SETFL, f | O_NONBLOCK);
}

// Starts `programa -e VOICE - -.raw` and waits for the answer to a first marker.
int Inicia(const std::string& voz) {
  Estado& e = E();
  Encerra();
  Descarta();
  e.erroDifone = false;
  if (e.programa.empty()) {
    e.ultimoErro = "mbrola n\xe3o foi achado";
    return -1;
  }
  struct stat st {};
  if (voz.empty() || stat(voz.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    e.ultimoErro = "voz do mbrola n\xe3o achada: " + voz;
    return -1;
  }
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  if (!Tubo(in)) return -1;
  if (!Tubo(out)) {
    close(in[0]);
    close(in[1]);
    return -1;
  }
  if (!Tubo(err)) {
    for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
    return -1;
  }
  posix_spawn_file_actions_t acoes;
  posix_spawn_file_actions_init(&acoes);
  posix_spawn_file_actions_adddup2(&acoes, in[0], 0);
  posix_spawn_file_actions_adddup2(&acoes, out[1], 1);
  posix_spawn_file_actions_adddup2(&acoes, err[1], 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&acoes, 3);
#endif
  posix_spawnattr_t atributos;
  posix_spawnattr_init(&atributos);
  sigset_t padrao, mascara;
  sigemptyset(&padrao);
  sigaddset(&padrao, SIGPIPE);  // ignored here; the child must die of a closed pipe
  sigemptyset(&mascara);
  posix_spawnattr_setsigdefault(&atributos, &padrao);
  posix_spawnattr_setsigmask(&atributos, &mascara);
  posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  // A voice path starting with "-" would be read as an option.
  const std::string arquivo = voz[0] == '-' ? "./" + voz : voz;
  std::string a0 = e.programa, a1 = "-e", a3 = "-", a4 = "-.raw";
  char* argv[] = {a0.data(), a1.data(), const_cast<char*>(arquivo.c_str()),
                  a3.data(), a4.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, e.programa.c_str(), &acoes, &atributos, argv, environ);
  posix_spawn_file_actions_destroy(&acoes);
  posix_spawnattr_destroy(&atributos);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  e.entrada = in[1];
  e.saida = out[0];
  e.erro = err[0];
  if (rc != 0) {
    e.ultimoErro =
        "mbrola n\xe3o p\xf4"
        "de ser executado: " +
        std::string(std::strerror(rc));
    Encerra();
    return -1;
  }
  e.pid = pid;
  for (int fd : {e.entrada, e.saida, e.erro}) NaoBloqueia(fd);
  e.voz = voz;

  // The first marker's answer shows the voice loaded and the child listening.
  const std::string antes = e.ultimoErro;
  if (EnviaMarca()) {
    const unsigned n = e.marcaEnviada;
    const Fim f = Espera([&] { return e.marcaVista >= n; }, e.prazoInicio, false);
    if (f == Fim::Pronto) {
      e.pendente = e.esperandoMarca = false;
      Descarta();
      return 0;
    }
    if (f == Fim::Morto) {
      // Its last words say why (missing voice, not a voice).
      const auto limite = Relogio::now() + std::chrono::milliseconds(200);
      while (e.erro >= 0 && Relogio::now() < limite) {
        pollfd p{e.erro, POLLIN, 0};
        poll(&p, 1, 10);
        LeErro();
      }
    } else {
      e.ultimoErro = "mbrola n\xe3o respondeu";
    }
  }
  if (e.ultimoErro == antes) e.ultimoErro = "mbrola terminou ao carregar a voz " + voz;
  Encerra();
  e.voz.clear();
  return -1;
}

}  // namespace

AvisoMbrola ClassificaAvisoMbrola(std::string_view linha) {
  AvisoMbrola a;
  if (!linha.starts_with("Warning")) return a;
  if (const size_t m = linha.find(kMarca); m != std::string_view::npos) {
    unsigned n = 0;
    for (size_t i = m + kMarca.size();
         i < linha.size() && linha[i] >= '0' && linha[i] <= '9' && n < 100000000u; ++i) {
      n = n * 10 + static_cast<unsigned>(linha[i] - '0');
    }
    a.marca = n;
    if (n > 0) return a;
  }
  a.difoneDesconhecido = linha.find("unknown") != std::string_view::npos;
  return a;
}

bool CarregaMbrola() {
  Estado& e = E();
  e.programa.clear();
  const auto executavel = [](const std::string& p) {
    struct stat st {};
    return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), X_OK) == 0;
  };
  const char* path = std::getenv("PATH");
  if (!path || !*path) {
    if (executavel("/usr/bin/mbrola")) e.programa = "/usr/bin/mbrola";
    return !e.programa.empty();
  }
  std::string_view resto(path);
  while (true) {
    const size_t fim = resto.find(':');
    std::string dir(resto.substr(0, fim));
    if (dir.empty()) dir = ".";
    if (const std::string p = dir + "/mbrola"; executavel(p)) {
      e.programa = p;
      // A relative PATH entry is made absolute: the child must not depend on our cwd.
      if (p[0] != '/') {
        if (char* abs = realpath(p.c_str(), nullptr)) {
          e.programa = abs;
          std::free(abs);
        }
      }
      return true;
    }
    if (fim == std::string_view::npos) break;
    resto.remove_prefix(fim + 1);
  }
  return false;
}

void DescarregaMbrola() {
  close_MBR();
  E().programa.clear();
}

const std::string& ProgramaMbrola() { return E().programa; }

int init_MBR(const char* voz) { return Inicia(voz ? voz : ""); }

int write_MBR(const char* linhas) {
  Estado& e = E();
  if (e.pid == 0 || !linhas) return -1;
  e.pendente = true;
  return Envia(linhas) ? 0 : -1;
}

void flush_MBR() {
  if (E().pid > 0) EnviaMarca();
}

int read_MBR(int16_t* destino, int maximo) {
  Estado& e = E();
  if (!destino || maximo <= 0) return 0;
  if (e.pid > 0) {
    LeErro();
    LeSaida();
    if (Disponiveis() == 0 && e.esperandoMarca && !e.fimSaida) {
      const unsigned n = e.marcaEnviada;
      const Fim f =
          Espera([&] { return Disponiveis() > 0 || e.marcaVista >= n; }, e.prazoEspera, true);
      if (f == Fim::Interrompido) return 0;
      if (f == Fim::Prazo) {
        e.ultimoErro = "mbrola n\xe3o responde";
        Encerra();
        return -1;
      }
    }
    if (e.esperandoMarca && e.marcaVista >= e.marcaEnviada) {
      // Every sample of the flushed input was written before the marker's warning.
      LeSaida();
      e.esperandoMarca = e.pendente = false;
    }
  }
  const size_t n = std::min(Disponiveis(), static_cast<size_t>(maximo));
  if (n > 0) {
    std::memcpy(destino, e.fila.data() + e.inicio, n * sizeof(int16_t));
    e.inicio += n;
    return static_cast<int>(n);
  }
  if (e.erroDifone && e.semErro == 0) {
    e.erroDifone = false;
    return -1;
  }
  if (e.pid > 0 && e.fimSaida) {
    if (e.ultimoErro.empty()) e.ultimoErro = "mbrola terminou";
    Encerra();
  }
  return e.pid > 0 ? 0 : -1;
}

void reset_MBR() {
  Estado& e = E();
  if (e.voz.empty()) return;
  if (e.pid > 0) {
    LeErro();
    LeSaida();
    if (!e.fimSaida && (e.pendente || e.esperandoMarca)) {
      bool limpo = false;
      if (EnviaMarca()) {
        const unsigned n = e.marcaEnviada;
        limpo = Espera(
                    [&] {
                      Descarta();
                      return e.marcaVista >= n;
                    },
                    e.prazoEspera, false) == Fim::Pronto;
        if (limpo) LeSaida();
      }
      if (!limpo) Encerra();
    }
    if (e.fimSaida) Encerra();
  }
  if (e.pid == 0) {
    const std::string voz = e.voz;
    Inicia(voz);
    if (e.pid == 0) e.voz = voz;  // a later write fails; the engine then starts it again
  }
  Descarta();
  e.pendente = e.esperandoMarca = e.erroDifone = false;
}

void setNoError_MBR(int valor) { E().semErro = valor; }

void close_MBR() {
  Encerra();
  Descarta();
  E().voz.clear();
}

const std::string& lastErrorStr_MBR() { return E().ultimoErro; }
int DifonesDesconhecidosMbrola() { return E().desconhecidos; }
pid_t ProcessoMbrola() { return E().pid; }

void DefineInterrupcaoMbrola(std::function<bool()> interrompe) {
  E().interrompe = std::move(interrompe);
}

void DefinePrazosMbrola(int inicioMs, int esperaMs) {
  E().prazoInicio = std::max(1, inicioMs);
  E().prazoEspera = std::max(1, esperaMs);
}

}  // namespace mg
