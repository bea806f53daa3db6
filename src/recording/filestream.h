/* A libisofs stream over one regular file of the source tree. libisofs' stream
   interface has a member named "class", so the stream itself is written in C. */
#ifndef MG_RECORDING_FILESTREAM_H
#define MG_RECORDING_FILESTREAM_H

/* libisofs.h needs these before it. */
/* clang-format off */
#include <stdint.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <libisofs/libisofs.h>
/* clang-format on */

#ifdef __cplusplus
extern "C" {
#endif

/* Creates a stream on the regular file `path` (absolute), whose identity (device,
   inode, size, modification time) is taken from `fd`, a descriptor opened read-only on
   it. The stream keeps no descriptor open until libisofs opens it for writing; then it
   reopens the path and fails (with a queued libisofs message of severity FAILURE) when
   the file vanished, was replaced, cannot be read, grew, shrank or was modified while
   being read, so that the image never holds wrong data. Returns 1, or a libisofs error
   code < 0. */
int mg_file_stream_new(const char* path, int fd, IsoStream** stream);

#ifdef __cplusplus
}
#endif

#endif
