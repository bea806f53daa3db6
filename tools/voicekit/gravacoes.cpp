#include "gravacoes.h"

#include <array>
#include <cstdio>
#include <utility>

namespace mg::kit {
namespace {

// Names of the characters 32-255 of code page 1252. Letters have one name for both
// cases; codes cp1252 leaves undefined are "caractere indefinido".
constexpr std::array<const char*, 224> kNomes = {
    // 32-47
    "espaço", "exclamação", "aspas", "cerquilha", "cifrão", "por cento", "e comercial", "apóstrofo",
    "abre parênteses", "fecha parênteses", "asterisco", "mais", "vírgula", "hífen", "ponto",
    "barra",
    // 48-63
    "zero", "um", "dois", "três", "quatro", "cinco", "seis", "sete", "oito", "nove", "dois pontos",
    "ponto e vírgula", "menor que", "igual", "maior que", "interrogação",
    // 64-95
    "arroba", "a", "bê", "cê", "dê", "é", "éfe", "gê", "agá", "i", "jota", "cá", "éle", "ême",
    "ene", "ó", "pê", "quê", "érre", "ésse", "tê", "u", "vê", "dáblio", "xis", "ípsilon", "zê",
    "abre colchetes", "barra invertida", "fecha colchetes", "circunflexo", "sublinhado",
    // 96-127
    "crase", "a", "bê", "cê", "dê", "é", "éfe", "gê", "agá", "i", "jota", "cá", "éle", "ême", "ene",
    "ó", "pê", "quê", "érre", "ésse", "tê", "u", "vê", "dáblio", "xis", "ípsilon", "zê",
    "abre chaves", "barra vertical", "fecha chaves", "til", "apagar",
    // 128-159
    "euro", "caractere indefinido", "vírgula baixa", "florim", "aspas baixas", "reticências",
    "cruz", "cruz dupla", "circunflexo", "por mil", "ésse com caron", "menor angular",
    "o e ligados", "caractere indefinido", "zê com caron", "caractere indefinido",
    "caractere indefinido", "abre aspas simples", "fecha aspas simples", "abre aspas",
    "fecha aspas", "marcador", "traço", "travessão", "til", "marca registrada", "ésse com caron",
    "maior angular", "o e ligados", "caractere indefinido", "zê com caron", "ípsilon com trema",
    // 160-191
    "espaço fixo", "exclamação invertida", "centavo", "libra", "moeda", "iene",
    "barra interrompida", "parágrafo", "trema", "copyright", "ordinal feminino",
    "abre aspas angulares", "negação", "hífen discreto", "marca registrada", "mácron", "grau",
    "mais ou menos", "ao quadrado", "ao cubo", "acento agudo", "micro", "fim de parágrafo",
    "ponto médio", "cedilha", "sobrescrito um", "ordinal masculino", "fecha aspas angulares",
    "um quarto", "um meio", "três quartos", "interrogação invertida",
    // 192-223
    "a crase", "a agudo", "a circunflexo", "a til", "a trema", "a com anel", "a e ligados",
    "cê cedilha", "e crase", "e agudo", "e circunflexo", "e trema", "i crase", "i agudo",
    "i circunflexo", "i trema", "ete", "ene com til", "o crase", "o agudo", "o circunflexo",
    "o til", "o trema", "vezes", "o cortado", "u crase", "u agudo", "u circunflexo", "u trema",
    "ípsilon agudo", "thorn", "ésse duplo",
    // 224-255
    "a crase", "a agudo", "a circunflexo", "a til", "a trema", "a com anel", "a e ligados",
    "cê cedilha", "e crase", "e agudo", "e circunflexo", "e trema", "i crase", "i agudo",
    "i circunflexo", "i trema", "ete", "ene com til", "o crase", "o agudo", "o circunflexo",
    "o til", "o trema", "dividido por", "o cortado", "u crase", "u agudo", "u circunflexo",
    "u trema", "ípsilon agudo", "thorn", "ípsilon com trema"};

// The phonetic spelling of each letter, as said on the telephone.
constexpr std::array<const char*, 26> kFoneticos = {
    "a de amor",   "bê de bola",    "cê de casa",    "dê de dado",    "é de elefante",
    "éfe de faca", "gê de gato",    "agá de hotel",  "i de igreja",   "jota de janela",
    "cá de kiwi",  "éle de lua",    "ême de mala",   "ene de navio",  "ó de ovo",
    "pê de pato",  "quê de queijo", "érre de rato",  "ésse de sapo",  "tê de tatu",
    "u de uva",    "vê de vaca",    "dáblio de web", "xis de xícara", "ípsilon de yoga",
    "zê de zebra"};

}  // namespace

std::vector<Gravacao> Gravacoes() {
  std::vector<Gravacao> g;
  auto add = [&](std::string nome, std::string texto) {
    g.push_back(Gravacao{std::move(nome), std::move(texto)});
  };
  for (int c = 32; c <= 255; ++c) add("_" + std::to_string(c), kNomes[static_cast<size_t>(c - 32)]);
  add("_0", "caractere especial");
  add("_12", "nova página");
  add("_unknown", "caractere desconhecido");
  for (int i = 0; i < 26; ++i) {
    add("_FON" + std::to_string('A' + i), kFoneticos[static_cast<size_t>(i)]);
    add("_FON" + std::to_string('a' + i), kFoneticos[static_cast<size_t>(i)]);
  }
  add("_FON9", "tabulação");

  // Number words, named as the number speaker looks them up: the word without ã/õ
  // accents, cut to 8 characters with the "_" ("dezessete" is "dezeset").
  const std::pair<const char*, const char*> numeros[] = {{"_zero", "zero"},
                                                         {"_um", "um"},
                                                         {"_uma", "uma"},
                                                         {"_dois", "dois"},
                                                         {"_duas", "duas"},
                                                         {"_tres", "três"},
                                                         {"_quatro", "quatro"},
                                                         {"_cinco", "cinco"},
                                                         {"_seis", "seis"},
                                                         {"_sete", "sete"},
                                                         {"_oito", "oito"},
                                                         {"_nove", "nove"},
                                                         {"_dez", "dez"},
                                                         {"_onze", "onze"},
                                                         {"_doze", "doze"},
                                                         {"_treze", "treze"},
                                                         {"_quatorz", "quatorze"},
                                                         {"_quinze", "quinze"},
                                                         {"_dezesse", "dezesseis"},
                                                         {"_dezeset", "dezessete"},
                                                         {"_dezoito", "dezoito"},
                                                         {"_dezenov", "dezenove"},
                                                         {"_vinte", "vinte"},
                                                         {"_trinta", "trinta"},
                                                         {"_quarent", "quarenta"},
                                                         {"_cinquen", "cinquenta"},
                                                         {"_sessent", "sessenta"},
                                                         {"_setenta", "setenta"},
                                                         {"_oitenta", "oitenta"},
                                                         {"_noventa", "noventa"},
                                                         {"_cem", "cem"},
                                                         {"_cento", "cento"},
                                                         {"_duzento", "duzentos"},
                                                         {"_trezent", "trezentos"},
                                                         {"_quatroc", "quatrocentos"},
                                                         {"_quinhen", "quinhentos"},
                                                         {"_seiscen", "seiscentos"},
                                                         {"_setecen", "setecentos"},
                                                         {"_oitocen", "oitocentos"},
                                                         {"_novecen", "novecentos"},
                                                         {"_mil", "mil"},
                                                         {"_milhao", "milhão"},
                                                         {"_milhoes", "milhões"},
                                                         {"_bilhao", "bilhão"},
                                                         {"_bilhoes", "bilhões"},
                                                         {"_trilhao", "trilhão"},
                                                         {"_trilhoe", "trilhões"},
                                                         {"_e", "e"},
                                                         {"_MENOS", "menos"}};
  for (const auto& [nome, texto] : numeros) add(nome, texto);

  // Time and date: weekday names, month names cut to 7 letters, and the joining words.
  const std::pair<const char*, const char*> datas[] = {
      {"_Domingo", "domingo"},  {"_Segunda", "segunda"},  {"_Terca", "terça"},
      {"_Quarta", "quarta"},    {"_Quinta", "quinta"},    {"_Sexta", "sexta"},
      {"_Sabado", "sábado"},    {"_Janeiro", "janeiro"},  {"_Feverei", "fevereiro"},
      {"_Marco", "março"},      {"_Abril", "abril"},      {"_Maio", "maio"},
      {"_Junho", "junho"},      {"_Julho", "julho"},      {"_Agosto", "agosto"},
      {"_Setembr", "setembro"}, {"_Outubro", "outubro"},  {"_Novembr", "novembro"},
      {"_Dezembr", "dezembro"}, {"_primeir", "primeiro"}, {"_de", "de"},
      {"_hora", "hora"},        {"_horas", "horas"},      {"_minuto", "minuto"},
      {"_minutos", "minutos"}};
  for (const auto& [nome, texto] : datas) add(nome, texto);

  // Messages of the line editor and the battery report.
  add("_DEL", "apagado");
  add("_APFCPO", "apagado até o fim");
  add("_APICPO", "apagado até o início");
  add("_CPOAPA", "campo apagado");
  add("_FALACI", "eco ligado");
  add("_FALDLG", "eco desligado");
  add("_VELOC", "velocidade, de um a cinco");
  add("_SEMBAT", "sem bateria");
  add("_SEMENER", "sem energia da tomada");

  // Dial tones: row and column frequencies of the telephone keypad; "X" is the star.
  const char keys[] = "123456789X0#";
  const double rows[] = {697, 770, 852, 941}, cols[] = {1209, 1336, 1477};
  for (int i = 0; i < 12; ++i) {
    Gravacao t;
    t.nome = std::string("dtmf_") + keys[i];
    t.toneLow = rows[i / 3];
    t.toneHigh = cols[i % 3];
    g.push_back(std::move(t));
  }
  return g;
}

}  // namespace mg::kit
