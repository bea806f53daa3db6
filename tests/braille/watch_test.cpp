// The console's message wait also watches one file descriptor (the display's
// connection): data on it wakes a wait and reaches its handler on the main thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "console/console.h"

namespace mg {
namespace {

int gPipe[2] = {-1, -1};
int gCalls = 0;

void Drain() {
  char c;
  if (read(gPipe[0], &c, 1) == 1) ++gCalls;
}

TEST(ConsoleWatch, DataOnTheWatchedDescriptorWakesTheWaitAndReachesItsHandler) {
  ASSERT_EQ(pipe(gPipe), 0);
  WatchFileDescriptor(gPipe[0], Drain);
  std::thread writer([] {
    usleep(100000);
    if (write(gPipe[1], "x", 1) != 1) ADD_FAILURE();
  });
  while (gCalls == 0) WaitMessage(-1);  // would sleep for ever without the watch
  writer.join();
  EXPECT_EQ(gCalls, 1);

  // Messages are still serviced as before, and a timed wait still ends.
  WaitMessage(30);
  PumpMessages();
  EXPECT_EQ(gCalls, 1);

  // After the watch ends, data on the descriptor is left alone.
  WatchFileDescriptor(-1, nullptr);
  ASSERT_EQ(write(gPipe[1], "y", 1), 1);
  WaitMessage(30);
  PumpMessages();
  EXPECT_EQ(gCalls, 1);
  close(gPipe[0]);
  close(gPipe[1]);
}

}  // namespace
}  // namespace mg
