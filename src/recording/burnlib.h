// The two burning libraries in one C++ translation unit. libburn wraps its whole API in
// `namespace burn` when compiled as C++, while libisofs declares an opaque global
// `struct burn_source` of its own; the two are the same C struct, so a pointer from one
// side is handed to the other through the casts below. Only this folder includes it.
#pragma once

// libisofs.h needs these before it, and libburn.h comes last.
// clang-format off
#include <stdint.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <libisofs/libisofs.h>
#include <libburn/libburn.h>
// clang-format on

namespace mg::burnlib {

inline burn::burn_source* ToBurn(::burn_source* s) {
  return reinterpret_cast<burn::burn_source*>(s);
}

}  // namespace mg::burnlib
