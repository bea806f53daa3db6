#include "engine/mbrola.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/mbrolachild.h"

namespace mg {
namespace {

using Relogio = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Samples held for read_MBR before the child is judged broken (about 17 minutes).
constexpr size_t kMaxFila = 16u << 20;
// The start-up probe: a silence of known length, whose samples show the voice loaded
// and give its rate.
constexpr std::string_view kSonda = "_ 100\n#\n";
constexpr int kSondaMs = 100;
// A flushed section has all of its samples once no more than this is missing and the
// output has been quiet this long (mbrola's output runs a few milliseconds short).
constexpr int kFolgaMs = 25;
constexpr auto kQuieto = milliseconds(20);
// Before the rate is known, the probe is over when the output has been quiet this long.
constexpr auto kQuietoSonda = milliseconds(50);
constexpr auto kPasso = 10;  // poll period of every wait, in ms

struct Estado {
  std::string programa;
  std::string voz;  // voice of the started engine; empty before init_MBR, after close_MBR
  ProcessoFilho filho;
  std::vector<int16_t> fila;  // samples read from the child, not yet returned
  size_t inicio = 0;          // first unreturned sample in `fila`
  bool temByte = false;       // the first byte of a sample split between two reads
  uint8_t byte = 0;
  std::vector<uint8_t> bruto;
  // Sample accounting: everything counts from the child's start.
  uint64_t recebidas = 0;             // samples taken from its output
  uint64_t base = 0;                  // `recebidas` when the last flushed section ended
  uint64_t alvo = 0;                  // samples that end the flushed sections (while esperandoFim)
  bool esperandoFim = false;          // a flushed section is not complete yet
  double msPendentes = 0;             // durations sent since the last flush
  Relogio::time_point ultimaSaida{};  // when samples last came
  Relogio::time_point fimPedido{};    // when the last flush was sent
  int taxa = 16000;
  bool taxaMedida = false;
  bool jaRespondeu = false;  // a child answered once: later starts are recoveries
  bool desistiu = false;     // a child did not answer in this utterance
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

// Ends the child: `gracaMs` to exit by itself once its input ends, then it is killed.
void Encerra(int gracaMs = 500) {
  Estado& e = E();
  e.filho.Encerra(gracaMs);
  e.esperandoFim = false;
  e.msPendentes = 0;
  e.recebidas = e.base = e.alvo = 0;
  e.temByte = false;
}

void LinhaDeErro(const std::string& linha) {
  Estado& e = E();
  if (ClassificaAvisoMbrola(linha).difoneDesconhecido) {
    ++e.desconhecidos;
    e.erroDifone = true;
  }
  e.ultimoErro = linha;
}

void Acrescenta(const uint8_t* p, size_t n) {
  Estado& e = E();
  if (e.inicio > 0 && e.inicio * 2 >= e.fila.size()) {
    e.fila.erase(e.fila.begin(), e.fila.begin() + static_cast<std::ptrdiff_t>(e.inicio));
    e.inicio = 0;
  }
  const size_t antes = e.fila.size();
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
  e.recebidas += e.fila.size() - antes;
}

// Takes in what the child wrote so far, without waiting; whether samples came. A flood
// no reader asked for ends it.
bool Recebe() {
  Estado& e = E();
  e.filho.LeErro(LinhaDeErro);
  e.bruto.clear();
  if (e.filho.LeSaida(e.bruto) == 0) return false;
  Acrescenta(e.bruto.data(), e.bruto.size());
  e.ultimaSaida = Relogio::now();
  if (Disponiveis() > kMaxFila) {
    e.ultimoErro =
        "mbrola: sa\xed"
        "da sem fim";
    e.filho.Encerra(0);
  }
  return true;
}

uint64_t AmostrasDe(double ms) {
  return static_cast<uint64_t>(std::llround(ms * E().taxa / 1000.0));
}

// The allowance is at most a quarter of the section, and the quiet counts from the
// flush as well: a short section is not taken as done before its samples came.
bool SecaoCompleta() {
  const Estado& e = E();
  if (!e.esperandoFim || e.recebidas >= e.alvo) return true;
  const uint64_t folga = std::min(AmostrasDe(kFolgaMs), (e.alvo - e.base) / 4);
  return e.recebidas + folga >= e.alvo &&
         Relogio::now() - std::max(e.ultimaSaida, e.fimPedido) >= kQuieto;
}

void Completa() {
  Estado& e = E();
  e.esperandoFim = false;
  e.base = e.recebidas;
}

enum class Fim { Pronto, Interrompido, Prazo, Morto };

bool Morto() { return !E().filho.Ativo() || E().filho.SaidaTerminou(); }

bool Interrompe(Relogio::time_point comeco) {
  const Estado& e = E();
  return e.interrompe && Relogio::now() - comeco >= milliseconds(kPasso) && e.interrompe();
}

// Waits until `pronto` holds, taking in the child's output meanwhile. The deadline
// counts from the last output that arrived. `interrompivel`: the interrupt predicate is
// asked once the wait has lasted a poll period.
template <class F>
Fim Espera(F pronto, int prazoMs, bool interrompivel) {
  Estado& e = E();
  const auto comeco = Relogio::now();
  auto limite = comeco + milliseconds(prazoMs);
  for (;;) {
    if (Recebe()) limite = Relogio::now() + milliseconds(prazoMs);
    if (pronto()) return Fim::Pronto;
    if (Morto()) return Fim::Morto;
    if (Relogio::now() >= limite) return Fim::Prazo;
    if (interrompivel && Interrompe(comeco)) return Fim::Interrompido;
    e.filho.Aguarda(kPasso, false);
  }
}

// The child stopped answering: it is ended, and given up until the next utterance.
void Desiste(const char* porque) {
  Estado& e = E();
  e.ultimoErro = porque;
  e.desistiu = true;
  Encerra(0);
}

// Writes all of `texto` to the child, reading its output whenever the input pipe is
// full. False when the child is gone, stuck, or a key ended the wait.
bool Envia(std::string_view texto) {
  Estado& e = E();
  const auto comeco = Relogio::now();
  auto limite = comeco + milliseconds(e.prazoEspera);
  while (!texto.empty()) {
    const ssize_t n = e.filho.Escreve(texto);
    if (n > 0) {
      texto.remove_prefix(static_cast<size_t>(n));
      limite = Relogio::now() + milliseconds(e.prazoEspera);
      continue;
    }
    if (n < 0) {
      Recebe();  // its last words say why
      if (e.ultimoErro.empty()) e.ultimoErro = "mbrola: terminou";
      Encerra();
      return false;
    }
    if (Recebe()) limite = Relogio::now() + milliseconds(e.prazoEspera);
    if (Morto()) {
      Encerra();
      return false;
    }
    if (Relogio::now() >= limite) {
      Desiste("mbrola n\xe3o responde");
      return false;
    }
    if (Interrompe(comeco)) return false;  // what was sent stays pending; reset_MBR clears it
    e.filho.Aguarda(kPasso, true);
  }
  return true;
}

int TaxaPadrao(uint64_t medida) {
  static constexpr int kTaxas[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
  int melhor = 16000;
  for (int t : kTaxas) {
    if (std::llabs(static_cast<long long>(medida) - t) <
        std::llabs(static_cast<long long>(medida) - melhor))
      melhor = t;
  }
  return melhor;
}

// Starts `programa -e VOICE - -.raw` and waits for the samples of the probe.
int Inicia(const std::string& voz) {
  Estado& e = E();
  if (e.desistiu) {
    e.ultimoErro = "mbrola n\xe3o responde";
    return -1;
  }
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
  // A voice path starting with "-" would be read as an option.
  const std::string arquivo = voz[0] == '-' ? "./" + voz : voz;
  if (!e.filho.Inicia(e.programa, {"-e", arquivo, "-", "-.raw"}, e.ultimoErro)) return -1;
  e.voz = voz;

  const std::string antes = e.ultimoErro;
  // At the program's start a key typed ahead must not cost the engine; a restart later
  // (recovery) gives way to a key like every other wait.
  const bool interrompivel = e.jaRespondeu;
  const auto comeco = Relogio::now();
  if (Envia(kSonda)) {
    e.alvo = AmostrasDe(kSondaMs);
    e.esperandoFim = true;
    e.fimPedido = Relogio::now();
    // With the rate known the probe ends as any section; otherwise (the first start, or a
    // voice whose rate differs) once its samples stop coming, and they give the rate.
    bool porContagem = false;
    const auto ouvida = [&] {
      porContagem = e.taxaMedida && SecaoCompleta();
      return porContagem || (e.recebidas > 0 && Relogio::now() - e.ultimaSaida >= kQuietoSonda);
    };
    const Fim f = Espera(ouvida, e.prazoInicio, interrompivel);
    if (f == Fim::Pronto) {
      if (!porContagem) {
        e.taxa = TaxaPadrao(e.recebidas * 1000 / kSondaMs);
        e.taxaMedida = true;
      }
      Completa();
      Descarta();
      e.jaRespondeu = true;
      return 0;
    }
    if (f == Fim::Morto) {
      // Its last words say why (missing voice, not a voice).
      const auto limite = Relogio::now() + milliseconds(200);
      while (Relogio::now() < limite && e.ultimoErro == antes) {
        e.filho.Aguarda(kPasso, false);
        e.filho.LeErro(LinhaDeErro);
      }
    } else if (f == Fim::Interrompido) {
      Desiste("mbrola interrompido ao iniciar");
    } else {
      Desiste("mbrola n\xe3o respondeu");
    }
  } else if (!e.desistiu && Interrompe(comeco)) {
    Desiste("mbrola interrompido ao iniciar");
  }
  if (e.ultimoErro == antes) e.ultimoErro = "mbrola terminou ao carregar a voz " + voz;
  Encerra();
  e.voz.clear();
  return -1;
}

// A decimal number at the start of `s` (digits, at most one point); -1 when none.
double Numero(std::string_view s) {
  double valor = 0, escala = 0;
  bool algum = false;
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      algum = true;
      if (escala == 0) {
        valor = std::min(valor * 10 + (c - '0'), 1e12);
      } else {
        escala /= 10;
        valor += (c - '0') * escala;
      }
    } else if (c == '.' && escala == 0) {
      escala = 1;
    } else {
      return -1;
    }
  }
  return algum ? valor : -1;
}

}  // namespace

AvisoMbrola ClassificaAvisoMbrola(std::string_view linha) {
  AvisoMbrola a;
  a.difoneDesconhecido = linha.find("unknown") != std::string_view::npos;
  return a;
}

double DuracaoLinhasMbrola(std::string_view linhas) {
  constexpr double kMaximo = 1e9;
  double total = 0;
  while (!linhas.empty()) {
    const size_t fim = linhas.find('\n');
    std::string_view linha = linhas.substr(0, fim);
    linhas.remove_prefix(fim == std::string_view::npos ? linhas.size() : fim + 1);
    const auto branco = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    const auto campo = [&]() {
      while (!linha.empty() && branco(linha.front())) linha.remove_prefix(1);
      size_t n = 0;
      while (n < linha.size() && !branco(linha[n])) ++n;
      std::string_view c = linha.substr(0, n);
      linha.remove_prefix(n);
      return c;
    };
    const std::string_view fonema = campo();
    if (fonema.empty() || fonema[0] == ';' || fonema[0] == '#') continue;
    const double d = Numero(campo());
    if (d > 0) total = std::min(total + d, kMaximo);
  }
  return total;
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
    if (dir.empty()) dir.assign(1, '.');
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
  if (!e.filho.Ativo() || e.desistiu || !linhas) return -1;
  e.msPendentes += DuracaoLinhasMbrola(linhas);
  return Envia(linhas) ? 0 : -1;
}

void flush_MBR() {
  Estado& e = E();
  if (!e.filho.Ativo() || !Envia("#\n")) return;
  if (!e.esperandoFim) e.alvo = e.base;
  e.alvo += AmostrasDe(e.msPendentes);
  e.msPendentes = 0;
  e.esperandoFim = true;
  e.fimPedido = Relogio::now();
}

int read_MBR(int16_t* destino, int maximo) {
  Estado& e = E();
  if (!destino || maximo <= 0) return 0;
  if (e.filho.Ativo()) {
    Recebe();
    if (Disponiveis() == 0 && e.esperandoFim && !Morto()) {
      const Fim f =
          Espera([] { return Disponiveis() > 0 || SecaoCompleta(); }, e.prazoEspera, true);
      if (f == Fim::Interrompido) return 0;
      if (f == Fim::Prazo) {
        // Silent after giving at least half of the section: its output runs shorter than
        // the durations say, and this is all of it. Nothing at all: it does not answer.
        if (e.alvo > e.base && (e.recebidas - e.base) * 2 >= e.alvo - e.base) {
          Completa();
        } else {
          Desiste("mbrola n\xe3o responde");
          return -1;
        }
      }
    }
    if (e.esperandoFim && SecaoCompleta()) Completa();
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
  if (e.filho.Ativo() && Morto()) {
    if (e.ultimoErro.empty()) e.ultimoErro = "mbrola terminou";
    Encerra();
  }
  return e.filho.Ativo() ? 0 : -1;
}

void reset_MBR() {
  Estado& e = E();
  e.desistiu = false;
  if (e.voz.empty()) return;
  if (e.filho.Ativo()) {
    Recebe();
    // Work still in hand (an utterance cut short): a new child is quicker and surer than
    // waiting for the rest of the old one's samples.
    if (Morto() || e.msPendentes > 0 || (e.esperandoFim && !SecaoCompleta())) Encerra(0);
  }
  if (!e.filho.Ativo()) {
    const std::string voz = e.voz;
    Inicia(voz);
    if (!e.filho.Ativo()) e.voz = voz;  // a later write fails; the engine then starts it again
  }
  Descarta();
  e.esperandoFim = e.erroDifone = false;
  e.base = e.recebidas;
}

void setNoError_MBR(int valor) { E().semErro = valor; }

void close_MBR() {
  Encerra();
  Descarta();
  E().voz.clear();
}

const std::string& lastErrorStr_MBR() { return E().ultimoErro; }
int DifonesDesconhecidosMbrola() { return E().desconhecidos; }
pid_t ProcessoMbrola() { return E().filho.Pid(); }
int TaxaMbrola() { return E().taxa; }
int DescritorSaidaMbrola() { return E().filho.DescritorSaida(); }

void DefineInterrupcaoMbrola(std::function<bool()> interrompe) {
  E().interrompe = std::move(interrompe);
}

void DefinePrazosMbrola(int inicioMs, int esperaMs) {
  E().prazoInicio = std::max(1, inicioMs);
  E().prazoEspera = std::max(1, esperaMs);
}

}  // namespace mg
