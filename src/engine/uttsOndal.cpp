#include "engine/uttsOndal.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/paths.h"
#include "common/wavheader.h"
#include "console/minireg.h"
#include "engine/mbrola.h"
#include "engine/uttsArquivo.h"
#include "engine/uttsPreproc.h"
#include "engine/uttsProsodia.h"
#include "engine/uttsTextoPho.h"
#include "legacy/dicionario.h"

namespace mg {
namespace {

constexpr uint32_t kTaxa = 16000;
constexpr int kAmostrasLeitura = 64000;
constexpr uint32_t kEntrega = 64000;      // bytes that make the accumulator go to the player
constexpr uint32_t kAcumulador = 128000;  // a full read always fits the emptied accumulator
constexpr uint32_t kMinimoImagem = 256;
constexpr const char* kVozPadrao = "c:\\winsonela\\ondaltts\\br4";

struct Motor {
  bool iniciado = false;
  std::string voz;  // Linux path given to init_MBR
  std::string arquivoSaida;
  bool modoArquivo = false;
  int arquivo = -1;
  double fatorFrequencia = 1.0, fatorDuracao = 1.0;
  std::string erro;
  std::vector<int16_t> leitura = std::vector<int16_t>(kAmostrasLeitura);
  // The 44-byte header and the accumulator behind it: one WAV image for the player.
  std::vector<uint8_t> imagem = std::vector<uint8_t>(kWavHeaderSize + kAcumulador);
  uint32_t cheio = 0;
  TocadorOndal tocador;
};

Motor& M() {
  static Motor m;
  return m;
}

ChamadasMbrola& Chamadas() {
  static ChamadasMbrola c{CarregaMbrola, DescarregaMbrola, init_MBR, reset_MBR, setNoError_MBR,
                          write_MBR,     flush_MBR,        read_MBR, close_MBR};
  return c;
}

bool EscreveTudo(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t w = write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

void FechaArquivo() {
  Motor& m = M();
  if (m.arquivo >= 0) close(m.arquivo);
  m.arquivo = -1;
}

// Hands the accumulator to the player as one WAV image and empties it.
void Entrega() {
  Motor& m = M();
  WriteWavHeaderAligned(m.imagem.data(), m.cheio, kTaxa, 1, 16);
  if (m.tocador.toca) m.tocador.toca(m.imagem.data(), kWavHeaderSize + m.cheio);
  m.cheio = 0;
}

bool Interrompido() {
  const Motor& m = M();
  return !m.modoArquivo && m.tocador.interrompido && m.tocador.interrompido();
}

// MBROLA again, on the same voice, after it failed.
void Recupera() {
  const ChamadasMbrola& c = Chamadas();
  c.close();
  c.descarrega();
  if (c.carrega()) c.init(M().voz.c_str());
}

void LiberaTabelas() {
  RegrasMotor().LiberaRegras();
  ExcecoesMotor().Limpa();
  LiberaDifones();
}

// Takes every sample MBROLA has for us now (after a flush: all of them). False when
// the file could not be written or MBROLA failed; `parar` when a key stopped the player.
bool Drena(bool& parar) {
  Motor& m = M();
  const ChamadasMbrola& c = Chamadas();
  bool ok = true;
  int n = c.read(m.leitura.data(), kAmostrasLeitura);
  while (n > 0) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(m.leitura.data());
    const uint32_t quantos = static_cast<uint32_t>(n) * 2;
    if (m.modoArquivo) {
      if (!EscreveTudo(m.arquivo, bytes, quantos)) ok = false;
    } else {
      if (m.cheio > 0 && m.cheio + quantos >= kEntrega) {
        Entrega();
        if (Interrompido()) {
          parar = true;
          return ok;
        }
      }
      std::copy(bytes, bytes + quantos, m.imagem.begin() + kWavHeaderSize + m.cheio);
      m.cheio += quantos;
    }
    n = c.read(m.leitura.data(), kAmostrasLeitura);
  }
  if (n < 0) {
    if (Interrompido()) {
      parar = true;
    } else {
      Recupera();
      ok = false;
    }
  }
  return ok;
}

}  // namespace

ChamadasMbrola& MbrolaDoMotor() { return Chamadas(); }

void DefineTocadorOndal(TocadorOndal tocador) { M().tocador = std::move(tocador); }

const std::string& OndalErro() { return M().erro; }
const std::string& OndalVozMbrola() { return M().voz; }

void OndalArquivoSaida(const std::string& nome) { M().arquivoSaida = nome; }

void OndalFatores(double fatorFrequencia, double fatorDuracao) {
  // MBROLA gives up on phones of many seconds; a configuration far out of range is held
  // to what it can say.
  const auto limita = [](double v, double lo, double hi) {
    return std::isnan(v) ? 1.0 : std::clamp(v, lo, hi);
  };
  M().fatorFrequencia = limita(fatorFrequencia, 0.1, 10.0);
  M().fatorDuracao = limita(fatorDuracao, 0.1, 4.0);
}

bool OndalInicia(const std::string& voz, std::string regras, std::string excecoes,
                 std::string abreviaturas, std::string prosodia, std::string difones) {
  Motor& m = M();
  const ChamadasMbrola& c = Chamadas();
  m.iniciado = false;
  if (!c.carrega()) return false;
  const auto padrao = [](std::string& v, const char* nome) {
    if (v.empty()) v = nome;
  };
  padrao(regras, "portug.nrl");
  padrao(excecoes, "portug.exc");
  padrao(abreviaturas, "portug.abr");
  padrao(prosodia, "portug.pro");
  padrao(difones, "portug.dfn");

  std::string caminho;
  if (!ReadRegistryString(RegistryRoot::LocalMachine,
                          "SOFTWARE\\TCTS\\Mbrola\\databases\\" + voz + "\\", caminho) ||
      caminho.empty()) {
    caminho = kVozPadrao;
  }
  m.voz = ToLinuxPath(caminho);
  if (c.init(m.voz.c_str()) < 0) {
    c.descarrega();
    return false;
  }
  // From here on a failure also ends MBROLA: a back-end that cannot start holds nothing.
  const auto falha = [&](const char* texto) {
    if (texto) m.erro = texto;
    LiberaTabelas();
    c.close();
    c.descarrega();
    return false;
  };
  LiberaTabelas();
  if (!RegrasMotor().CarregaRegras(ToLinuxPath(regras)) ||
      !ExcecoesMotor().CarregaExcecoes(ToLinuxPath(excecoes))) {
    return falha("Erro na base de dados de portugu\xeas");
  }
  if (!CarregaAbreviaturas(abreviaturas)) return falha("Erro no arquivo de abreviaturas");
  if (!CarregaProsodia(prosodia) || !CarregaDifones(difones)) {
    return falha(
        "Erro no arquivo de pros\xf3"
        "dia");
  }
  if (m.arquivoSaida.empty()) {
    m.modoArquivo = false;
    c.setNoError(0);
    m.iniciado = true;
    return true;
  }
  FechaArquivo();
  m.arquivo =
      open(ToLinuxPath(m.arquivoSaida).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (m.arquivo < 0) return falha(nullptr);
  uint8_t cabecalho[kWavHeaderSize];
  WriteWavHeaderAligned(cabecalho, 0, kTaxa, 1, 16);
  if (!EscreveTudo(m.arquivo, cabecalho, sizeof cabecalho)) {
    FechaArquivo();
    return falha(
        "Arquivo de sa\xed"
        "da n\xe3o pode ser criado");
  }
  m.modoArquivo = true;
  c.setNoError(0);
  m.iniciado = true;
  return true;
}

bool OndalFala(std::string_view texto) {
  Motor& m = M();
  const ChamadasMbrola& c = Chamadas();
  if (Apara(texto).empty()) return true;
  if (!m.iniciado) return false;
  const std::vector<std::string> linhas = TextoParaPho(texto, m.fatorFrequencia, m.fatorDuracao);

  bool* rapido = m.tocador.ligeiramenteRapido;
  bool* corta = m.tocador.cortaFala;
  const bool rapidoAntes = rapido && *rapido, cortaAntes = corta && *corta;
  if (rapido) *rapido = false;
  if (corta) *corta = false;

  bool ok = true, parar = false;
  c.reset();
  c.setNoError(-63);
  m.cheio = 0;
  for (size_t i = 0; i < linhas.size() && !parar; ++i) {
    const bool ultima = i + 1 == linhas.size();
    if (linhas[i].empty() && !ultima) continue;
    if (c.write((linhas[i] + "\r\n").c_str()) < 0) {
      if (Interrompido()) break;
      Recupera();
      ok = false;
    }
    if (ultima) c.flush();
    if (!Drena(parar)) ok = false;
  }
  if (!m.modoArquivo && m.cheio > 0 && !parar && !Interrompido()) {
    if (m.cheio < kMinimoImagem) {
      std::fill(m.imagem.begin() + kWavHeaderSize + m.cheio,
                m.imagem.begin() + kWavHeaderSize + kMinimoImagem, 0);
      m.cheio = kMinimoImagem;
    }
    Entrega();
  }
  m.cheio = 0;
  if (rapido) *rapido = rapidoAntes;
  if (corta) *corta = cortaAntes;
  return ok;
}

void OndalPara() {
  const Motor& m = M();
  if (!m.modoArquivo && m.tocador.para) m.tocador.para();
}

bool OndalFalando() {
  const Motor& m = M();
  return !m.modoArquivo && m.tocador.tocando && m.tocador.tocando();
}

void OndalTermina() {
  Motor& m = M();
  if (m.modoArquivo && m.arquivo >= 0) {
    struct stat st {};
    if (fstat(m.arquivo, &st) == 0 && st.st_size >= kWavHeaderSize) {
      const uint64_t dados = static_cast<uint64_t>(st.st_size) - kWavHeaderSize;
      uint8_t cabecalho[kWavHeaderSize];
      WriteWavHeaderAligned(
          cabecalho, static_cast<uint32_t>(std::min<uint64_t>(dados, 0xFFFFFFD0u)), kTaxa, 1, 16);
      if (pwrite(m.arquivo, cabecalho, sizeof cabecalho, 0) != kWavHeaderSize) {
        m.erro =
            "Arquivo de sa\xed"
            "da n\xe3o pode ser completado";
      }
    }
    FechaArquivo();
  }
  LiberaTabelas();
  Chamadas().close();
  Chamadas().descarrega();
  m.iniciado = false;
}

}  // namespace mg
