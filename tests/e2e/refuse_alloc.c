/* Preloaded into vurn by the end-to-end tests: refuses every heap request of
   a megabyte or more, as a heap that cannot hold the sample record would. */
#include <errno.h>
#include <stddef.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t n, size_t size);

enum { kRefuseFrom = 1 << 20 };

void* malloc(size_t size) {
  if (size >= kRefuseFrom) {
    errno = ENOMEM;
    return NULL;
  }
  return __libc_malloc(size);
}

void* calloc(size_t n, size_t size) {
  if (size != 0 && n >= kRefuseFrom / size) {
    errno = ENOMEM;
    return NULL;
  }
  return __libc_calloc(n, size);
}
