#include "engine/mbrolachild.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

extern char** environ;

namespace mg {
namespace {

using Relogio = std::chrono::steady_clock;

constexpr size_t kMaxLinhaErro = 1024;

void FechaFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
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
  fds[0] = fds[1] = -1;
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  if (AcimaDosPadroes(fds[0]) && AcimaDosPadroes(fds[1])) return true;
  FechaFd(fds[0]);
  FechaFd(fds[1]);
  return false;
}

void NaoBloqueia(int fd) {
  const int f = fcntl(fd, F_GETFL);
  if (f >= 0) fcntl(fd, F_SETFL, f | O_NONBLOCK);
}

}  // namespace

bool ProcessoFilho::Inicia(const std::string& programa, const std::vector<std::string>& argumentos,
                           std::string& erro) {
  Encerra();
  signal(SIGPIPE, SIG_IGN);
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (!Tubo(in) || !Tubo(out) || !Tubo(err)) {
    for (int* fd : {&in[0], &in[1], &out[0], &out[1], &err[0], &err[1]}) FechaFd(*fd);
    erro = "sem tubos para o mbrola: " + std::string(std::strerror(errno));
    return false;
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
  std::vector<std::string> textos;
  textos.reserve(argumentos.size() + 1);
  textos.push_back(programa);
  textos.insert(textos.end(), argumentos.begin(), argumentos.end());
  std::vector<char*> argv;
  for (std::string& t : textos) argv.push_back(t.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, programa.c_str(), &acoes, &atributos, argv.data(), environ);
  posix_spawn_file_actions_destroy(&acoes);
  posix_spawnattr_destroy(&atributos);
  FechaFd(in[0]);
  FechaFd(out[1]);
  FechaFd(err[1]);
  entrada_ = in[1];
  saida_ = out[0];
  erro_ = err[0];
  if (rc != 0) {
    erro =
        "mbrola n\xe3o p\xf4"
        "de ser executado: " +
        std::string(std::strerror(rc));
    Encerra();
    return false;
  }
  pid_ = pid;
  for (int fd : {entrada_, saida_, erro_}) NaoBloqueia(fd);
  return true;
}

ssize_t ProcessoFilho::Escreve(std::string_view bytes) {
  if (entrada_ < 0) return -1;
  for (;;) {
    const ssize_t n = write(entrada_, bytes.data(), bytes.size());
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;  // EPIPE: nobody reads its input any more
  }
}

size_t ProcessoFilho::LeSaida(std::vector<uint8_t>& destino) {
  uint8_t buf[65536];
  size_t lidos = 0;
  while (saida_ >= 0 && !fimSaida_) {
    const ssize_t n = read(saida_, buf, sizeof buf);
    if (n > 0) {
      destino.insert(destino.end(), buf, buf + n);
      lidos += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) fimSaida_ = true;
    break;
  }
  return lidos;
}

void ProcessoFilho::LeErro(const std::function<void(const std::string&)>& linha) {
  char buf[1024];
  while (erro_ >= 0) {
    const ssize_t n = read(erro_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
      if (!linhaErro_.empty()) linha(linhaErro_);
      linhaErro_.clear();
      FechaFd(erro_);
    }
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] == '\n') {
        if (!linhaErro_.empty()) linha(linhaErro_);
        linhaErro_.clear();
      } else if (buf[i] != '\r' && linhaErro_.size() < kMaxLinhaErro) {
        linhaErro_ += buf[i];
      }
    }
  }
}

void ProcessoFilho::Aguarda(int ms, bool querEscrever) const {
  pollfd p[3] = {
      {saida_, POLLIN, 0}, {erro_, POLLIN, 0}, {querEscrever ? entrada_ : -1, POLLOUT, 0}};
  poll(p, 3, ms);
}

void ProcessoFilho::Encerra(int gracaMs) {
  FechaFd(entrada_);
  FechaFd(saida_);
  FechaFd(erro_);
  if (pid_ > 0) {
    bool colhido = false;
    const auto limite = Relogio::now() + std::chrono::milliseconds(gracaMs);
    while (!colhido) {
      const pid_t r = waitpid(pid_, nullptr, WNOHANG);
      if (r == pid_ || (r < 0 && errno == ECHILD)) {
        colhido = true;
      } else if (Relogio::now() >= limite) {
        break;
      } else {
        usleep(2000);
      }
    }
    if (!colhido) {
      kill(pid_, SIGKILL);
      while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  }
  pid_ = 0;
  fimSaida_ = false;
  linhaErro_.clear();
}

}  // namespace mg
