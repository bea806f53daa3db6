// The hand-over queue: the one place where other threads meet the main thread. They
// append a message and push a single wake-up event; the main thread takes the queue
// out while it services messages and dispatches each message as if it were posted.
#include <atomic>
#include <mutex>
#include <vector>

#include "console/backend.h"

namespace mg {
namespace {

struct Handed {
  uint32_t message;
  intptr_t first;
  intptr_t second;
};

std::mutex gLock;
std::vector<Handed> gQueue;
bool gWakePending = false;

}  // namespace

void HandOver(uint32_t message, intptr_t first, intptr_t second) {
  std::lock_guard<std::mutex> hold(gLock);
  gQueue.push_back({message, first, second});
  if (gWakePending || !backend::EventsReady()) return;
  SDL_Event wake{};
  wake.type = backend::WakeEventType();
  gWakePending = SDL_PushEvent(&wake) == 1;
}

namespace backend {

void DrainHandOver() {
  std::vector<Handed> taken;
  {
    std::lock_guard<std::mutex> hold(gLock);
    taken.swap(gQueue);
    gWakePending = false;
  }
  // Messages handed over before the queue existed are dispatched all the same.
  if (!taken.empty()) EnsureEvents();
  for (const Handed& h : taken) {
    SDL_Event e{};
    e.type = MessageEventType();
    e.user.code = static_cast<Sint32>(h.message);
    e.user.data1 = reinterpret_cast<void*>(h.first);
    e.user.data2 = reinterpret_cast<void*>(h.second);
    DispatchEvent(e);
  }
}

}  // namespace backend
}  // namespace mg
