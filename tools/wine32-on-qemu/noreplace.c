/* Answers Wine's address-space reservations (mmap with MAP_FIXED_NOREPLACE)
 * in a 32-bit process under qemu-i386, from the process's own map: a busy
 * range is refused with EEXIST at once. Every mmap through here is made under
 * one lock, so a map taken by one thread is never stale for another's check
 * (a compiler with worker threads crashed at random without it). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdio.h>
#include <stdint.h>
#include <sys/mman.h>
#include <sys/types.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

struct span { uintptr_t lo, hi; };
static struct span spans[4096];
static int nspans = -1; /* -1: stale */

static void load(void)
{
    FILE *f = fopen("/proc/self/maps", "r");
    nspans = 0;
    if (!f) return;
    unsigned long lo, hi;
    char line[512];
    while (fgets(line, sizeof line, f) && nspans < 4096)
        if (sscanf(line, "%lx-%lx", &lo, &hi) == 2) { spans[nspans].lo = lo; spans[nspans].hi = hi; nspans++; }
    fclose(f);
}

static int busy(uintptr_t lo, uintptr_t hi)
{
    for (int i = 0; i < nspans; i++)
        if (spans[i].lo < hi && lo < spans[i].hi) return 1;
    return 0;
}

typedef void *(*mmap_fn)(void *, size_t, int, int, int, off_t);

static pthread_mutex_t lock = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;

static void *map(void *addr, size_t len, int prot, int flags, int fd, off_t off)
{
    static mmap_fn real;
    if (!real) real = (mmap_fn)dlsym(RTLD_NEXT, "mmap");
    if (!(flags & MAP_FIXED_NOREPLACE) || !addr) {
        void *p = real(addr, len, prot, flags, fd, off);
        nspans = -1;
        return p;
    }
    if (nspans < 0) load();
    uintptr_t lo = (uintptr_t)addr, hi = lo + len;
    if (busy(lo, hi)) { errno = EEXIST; return MAP_FAILED; }
    void *p = real(addr, len, prot, flags, fd, off);
    if (p == addr) { if (nspans < 4096) { spans[nspans].lo = lo; spans[nspans].hi = hi; nspans++; } return p; }
    if (p != MAP_FAILED) munmap(p, len);
    nspans = -1;
    errno = EEXIST;
    return MAP_FAILED;
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, off_t off)
{
    pthread_mutex_lock(&lock);
    void *p = map(addr, len, prot, flags, fd, off);
    int saved = errno;
    pthread_mutex_unlock(&lock);
    errno = saved;
    return p;
}
void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off) { return mmap(addr, len, prot, flags, fd, (off_t)off); }
