#include "console/textstreams.h"

#include <utility>

namespace mg {

ConsoleOutBuf::ConsoleOutBuf(Writer write, Service service)
    : write_(std::move(write)), service_(std::move(service)) {
  setp(buffer_, buffer_ + kStreamBufferSize);
}

void ConsoleOutBuf::Drain() {
  const auto n = static_cast<uint16_t>(pptr() - pbase());
  if (n == 0) return;
  setp(buffer_, buffer_ + kStreamBufferSize);
  write_(buffer_, n);
  service_();
}

ConsoleOutBuf::int_type ConsoleOutBuf::overflow(int_type c) {
  Drain();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int ConsoleOutBuf::sync() {
  Drain();
  return 0;
}

ConsoleInBuf::ConsoleInBuf(Reader read) : read_(std::move(read)) {
  setg(buffer_, buffer_, buffer_);
}

ConsoleInBuf::int_type ConsoleInBuf::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  int n = read_(buffer_, kStreamBufferSize);
  if (n <= 0) return traits_type::eof();
  // The line ends in CR LF; C++ text streams end lines with a lone '\n'.
  if (n >= 2 && buffer_[n - 2] == '\r' && buffer_[n - 1] == '\n') {
    buffer_[n - 2] = '\n';
    --n;
  }
  setg(buffer_, buffer_, buffer_ + n);
  return traits_type::to_int_type(*gptr());
}

}  // namespace mg
