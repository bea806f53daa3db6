// Small POSIX file helpers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mg {

// Reads exactly n bytes unless the file ends or fails first; returns the count read.
size_t ReadFull(int fd, uint8_t* dst, size_t n);

}  // namespace mg
