// Stream buffers that bind std::cout and std::cin to the console: 128 characters each,
// output through the screen writer, input through the line reader.
#pragma once

#include <cstdint>
#include <functional>
#include <streambuf>

namespace mg {

constexpr int kStreamBufferSize = 128;

class ConsoleOutBuf : public std::streambuf {
 public:
  using Writer = std::function<void(const char*, uint16_t)>;
  using Service = std::function<void()>;
  // `write` receives every buffered stretch; `service` runs after each one.
  ConsoleOutBuf(Writer write, Service service);

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  void Drain();
  Writer write_;
  Service service_;
  char buffer_[kStreamBufferSize];
};

class ConsoleInBuf : public std::streambuf {
 public:
  // Fills the buffer with one line (at most `size` bytes, ending in CR LF) and returns
  // how many bytes it stored.
  using Reader = std::function<int(char*, int)>;
  explicit ConsoleInBuf(Reader read);

 protected:
  int_type underflow() override;

 private:
  Reader read_;
  char buffer_[kStreamBufferSize];
};

}  // namespace mg
