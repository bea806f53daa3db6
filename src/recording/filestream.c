#define _GNU_SOURCE
#include "recording/filestream.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* Identifies the streams of this class to libisofs' duplicate detection. */
#define MG_FILE_STREAM_FS_ID 0x6d670001u

typedef struct {
  char* path;
  dev_t dev;
  ino_t ino;
  off_t size;
  struct timespec mtime;
  int fd;     /* -1 while closed */
  off_t done; /* bytes delivered since open */
} FileData;

/* Queues a message about `data`'s file; runs on libisofs' writer thread, which owns
   the stream while the image is written. The libisofs message queue is thread-safe. */
static void report(const FileData* data, const char* what, int err) {
  char text[ISO_MSGS_MESSAGE_LEN];
  if (err)
    snprintf(text, sizeof text, "%s: %s (%s)", data->path, what, strerror(err));
  else
    snprintf(text, sizeof text, "%s: %s", data->path, what);
  iso_msgs_submit(0, text, err, "FAILURE", 0);
}

static int same_time(const struct timespec* a, const struct timespec* b) {
  return a->tv_sec == b->tv_sec && a->tv_nsec == b->tv_nsec;
}

static int fs_open(IsoStream* stream) {
  FileData* data = stream->data;
  struct stat st;
  if (data->fd >= 0) return ISO_FILE_ALREADY_OPENED;
  /* O_NONBLOCK: a FIFO put in the file's place must not block the writer. */
  int fd = open(data->path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    int err = errno;
    report(data,
           err == ENOENT ? "arquivo sumiu antes da grava\xc3\xa7\xc3\xa3o"
                         : "arquivo n\xc3\xa3o p\xc3\xb4"
                           "de ser aberto",
           err);
    return err == ENOENT ? ISO_FILE_DOESNT_EXIST
                         : (err == EACCES ? ISO_FILE_ACCESS_DENIED : ISO_FILE_ERROR);
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != data->dev ||
      st.st_ino != data->ino) {
    report(data,
           "arquivo foi substitu\xc3\xad"
           "do antes da grava\xc3\xa7\xc3\xa3o",
           0);
    close(fd);
    return ISO_FILE_ERROR;
  }
  if (st.st_size != data->size) {
    report(data, "arquivo mudou de tamanho antes da grava\xc3\xa7\xc3\xa3o", 0);
    close(fd);
    return ISO_FILE_ERROR;
  }
  data->mtime = st.st_mtim;
  data->fd = fd;
  data->done = 0;
  return 1;
}

static int fs_close(IsoStream* stream) {
  FileData* data = stream->data;
  if (data->fd < 0) return ISO_FILE_NOT_OPENED;
  close(data->fd);
  data->fd = -1;
  return 1;
}

static off_t fs_get_size(IsoStream* stream) { return ((FileData*)stream->data)->size; }

/* After the last byte: nothing may follow and the file must not have been modified. */
static int check_end(FileData* data) {
  char extra;
  struct stat st;
  ssize_t n = pread(data->fd, &extra, 1, data->size);
  if (n > 0) {
    report(data, "arquivo cresceu durante a grava\xc3\xa7\xc3\xa3o", 0);
    return ISO_FILE_READ_ERROR;
  }
  if (n < 0 || fstat(data->fd, &st) != 0) {
    report(data, "erro de leitura", errno);
    return ISO_FILE_READ_ERROR;
  }
  if (st.st_size != data->size || !same_time(&st.st_mtim, &data->mtime)) {
    report(data, "arquivo foi modificado durante a grava\xc3\xa7\xc3\xa3o", 0);
    return ISO_FILE_READ_ERROR;
  }
  return 1;
}

static int fs_read(IsoStream* stream, void* buf, size_t count) {
  FileData* data = stream->data;
  size_t got = 0;
  if (data->fd < 0) return ISO_FILE_NOT_OPENED;
  if (data->done >= data->size) return 0;
  if ((off_t)count > data->size - data->done) count = (size_t)(data->size - data->done);
  if (count > 0x7fffffff) count = 0x7fffffff;
  while (got < count) {
    ssize_t n = read(data->fd, (char*)buf + got, count - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      report(data, "erro de leitura", errno);
      return ISO_FILE_READ_ERROR;
    }
    if (n == 0) {
      report(data, "arquivo encolheu durante a grava\xc3\xa7\xc3\xa3o", 0);
      return ISO_FILE_READ_ERROR;
    }
    got += (size_t)n;
  }
  data->done += (off_t)got;
  if (data->done == data->size) {
    int r = check_end(data);
    if (r < 0) return r;
  }
  return (int)got;
}

static int fs_is_repeatable(IsoStream* stream) {
  (void)stream;
  return 1;
}

static void fs_get_id(IsoStream* stream, unsigned int* fs_id, dev_t* dev_id, ino_t* ino_id) {
  FileData* data = stream->data;
  *fs_id = MG_FILE_STREAM_FS_ID;
  *dev_id = data->dev;
  *ino_id = data->ino;
}

static void fs_free(IsoStream* stream) {
  FileData* data = stream->data;
  if (data->fd >= 0) close(data->fd);
  free(data->path);
  free(data);
}

static int fs_update_size(IsoStream* stream) {
  FileData* data = stream->data;
  struct stat st;
  if (lstat(data->path, &st) != 0) return ISO_FILE_DOESNT_EXIST;
  if (!S_ISREG(st.st_mode)) return ISO_FILE_ERROR;
  data->size = st.st_size;
  return 1;
}

static IsoStreamIface file_stream_class = {
    .version = 1,
    .type = {'u', 's', 'e', 'r'},
    .open = fs_open,
    .close = fs_close,
    .get_size = fs_get_size,
    .read = fs_read,
    .is_repeatable = fs_is_repeatable,
    .get_id = fs_get_id,
    .free = fs_free,
    .update_size = fs_update_size,
};

int mg_file_stream_new(const char* path, int fd, IsoStream** stream) {
  struct stat st;
  FileData* data;
  IsoStream* s;
  if (path == NULL || stream == NULL || fd < 0) return ISO_NULL_POINTER;
  if (fstat(fd, &st) != 0) return ISO_FILE_ERROR;
  if (!S_ISREG(st.st_mode)) return ISO_FILE_ERROR;
  data = calloc(1, sizeof *data);
  s = calloc(1, sizeof *s);
  if (data == NULL || s == NULL || (data->path = strdup(path)) == NULL) {
    free(data);
    free(s);
    return ISO_OUT_OF_MEM;
  }
  data->dev = st.st_dev;
  data->ino = st.st_ino;
  data->size = st.st_size;
  data->mtime = st.st_mtim;
  data->fd = -1;
  s->class = &file_stream_class;
  s->refcount = 1;
  s->data = data;
  *stream = s;
  return 1;
}
