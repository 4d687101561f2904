// SPDX-License-Identifier: MIT
#include "HeapCounter.h"

#include <cerrno>
#include <cstddef>

// glibc's own entry points: the definitions below stand in front of them, and a
// shared library's call to malloc binds to the executable's definition first.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

// Initial-exec thread-locals of the executable: reading them never allocates,
// so they are safe inside malloc itself, from the first call on.
thread_local bool t_counting = false;
thread_local int64_t t_count = 0;

inline void Note() {
    if (t_counting)
        ++t_count;
}

} // namespace

extern "C" {

void* malloc(std::size_t size) noexcept {
    Note();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    Note();
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size) noexcept {
    Note();
    return __libc_realloc(p, size);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    Note();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    Note();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** pp, std::size_t alignment, std::size_t size) noexcept {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    Note();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *pp = p;
    return 0;
}

} // extern "C"

CHeapCounter::CHeapCounter() : m_start(t_count), m_wasCounting(t_counting) {
    t_counting = true;
}

CHeapCounter::~CHeapCounter() {
    t_counting = m_wasCounting;
}

int64_t CHeapCounter::Count() const {
    return t_count - m_start;
}
