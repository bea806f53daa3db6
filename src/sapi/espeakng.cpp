#include "sapi/espeakng.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>

#include "console/console.h"

namespace mg::sapi {
namespace {

bool gOpen = false;
std::atomic<uint32_t> gBlockMessage{0};

// Touched only by espeak-ng's thread, inside Deliver.
unsigned gDeliverText = 0;
uint32_t gDeliverIndex = 0;

// espeak-ng's thread: copy, hand over, return at once. Returning 0 lets it go on.
int Deliver(short* wav, int count, espeak_EVENT* events) {
  auto* block = new EspeakBlock;
  block->text = events != nullptr ? events->unique_identifier : 0;
  for (const espeak_EVENT* e = events; e != nullptr && e->type != espeakEVENT_LIST_TERMINATED;
       ++e) {
    if (e->type == espeakEVENT_MSG_TERMINATED) block->last = true;
  }
  if (block->text != gDeliverText) {
    gDeliverText = block->text;
    gDeliverIndex = 0;
  }
  block->index = gDeliverIndex++;
  if (wav != nullptr && count > 0) block->samples.assign(wav, wav + count);
  HandOver(gBlockMessage.load(), reinterpret_cast<intptr_t>(block), 0);
  return 0;
}

bool Brazilian(const espeak_VOICE* v) {
  // `languages`: a priority byte, a zero-terminated name, again, ended by an empty name.
  for (const char* p = v->languages; p != nullptr && p[0] != 0 && p[1] != 0;
       p += std::strlen(p + 1) + 2) {
    std::string lang(p + 1);
    std::transform(lang.begin(), lang.end(), lang.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lang == "pt-br" || lang.rfind("pt-br-", 0) == 0) return true;
  }
  return false;
}

}  // namespace

bool EspeakOpen(uint32_t blockMessage, std::string& why) {
  gBlockMessage = blockMessage;
  if (gOpen) return true;
  espeak_ng_InitializePath(nullptr);
  espeak_ng_ERROR_CONTEXT context = nullptr;
  espeak_ng_STATUS status = espeak_ng_Initialize(&context);
  if (status == ENS_OK)
    status = espeak_ng_InitializeOutput(static_cast<espeak_ng_OUTPUT_MODE>(0), 50, nullptr);
  if (status != ENS_OK) {
    char text[512] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    why = text;
    espeak_ng_ClearErrorContext(&context);
    return false;
  }
  espeak_SetSynthCallback(&Deliver);
  gOpen = true;
  return true;
}

int EspeakSampleRate() { return espeak_ng_GetSampleRate(); }

std::vector<EspeakVoice> EspeakVoices() {
  std::vector<EspeakVoice> first, rest;
  if (!gOpen) return first;
  const espeak_VOICE** list = espeak_ListVoices(nullptr);
  for (int i = 0; list != nullptr && list[i] != nullptr; ++i) {
    const espeak_VOICE* v = list[i];
    if (v->identifier == nullptr) continue;
    EspeakVoice voice{v->name != nullptr ? v->name : v->identifier, v->identifier};
    (Brazilian(v) ? first : rest).push_back(std::move(voice));
  }
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

bool EspeakSelect(const std::string& identifier, int wordsPerMinute, int pitch) {
  if (!gOpen) return false;
  if (espeak_ng_SetVoiceByFile(identifier.c_str()) != ENS_OK &&
      espeak_ng_SetVoiceByName(identifier.c_str()) != ENS_OK)
    return false;
  const int rate = wordsPerMinute > 0
                       ? std::clamp(wordsPerMinute, espeakRATE_MINIMUM, espeakRATE_MAXIMUM)
                       : espeakRATE_NORMAL;
  return espeak_ng_SetParameter(espeakRATE, rate, 0) == ENS_OK &&
         espeak_ng_SetParameter(espeakPITCH, std::clamp(pitch, 0, 100), 0) == ENS_OK;
}

bool EspeakSpeak(const std::string& utf8, unsigned& text) {
  if (!gOpen) return false;
  return espeak_ng_Synthesize(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                              &text, nullptr) == ENS_OK;
}

void EspeakCancel() {
  if (gOpen) espeak_ng_Cancel();
}

}  // namespace mg::sapi
