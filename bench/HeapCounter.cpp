// SPDX-License-Identifier: MIT
#include "HeapCounter.h"

#include <link.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
thread_local int64_t t_openALCount = 0;

// Where OpenAL Soft's code lies in memory, once it is loaded: an allocation
// whose caller's return address falls there is OpenAL Soft's own.
uintptr_t g_openALLow = 0;
uintptr_t g_openALHigh = 0;

int FindOpenAL(dl_phdr_info* pInfo, size_t, void*) {
    if (pInfo->dlpi_name == nullptr || std::strstr(pInfo->dlpi_name, "libopenal") == nullptr)
        return 0;
    for (int i = 0; i < pInfo->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = pInfo->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || (segment.p_flags & PF_X) == 0)
            continue;
        g_openALLow = pInfo->dlpi_addr + segment.p_vaddr;
        g_openALHigh = g_openALLow + segment.p_memsz;
    }
    return 1;
}

inline void Note(void* pCaller) {
    if (!t_counting)
        return;
    ++t_count;
    const uintptr_t caller = reinterpret_cast<uintptr_t>(pCaller);
    if (caller >= g_openALLow && caller < g_openALHigh)
        ++t_openALCount;
}

} // namespace

extern "C" {

void* malloc(std::size_t size) noexcept {
    Note(__builtin_return_address(0));
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    Note(__builtin_return_address(0));
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size) noexcept {
    Note(__builtin_return_address(0));
    return __libc_realloc(p, size);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    Note(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    Note(__builtin_return_address(0));
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** pp, std::size_t alignment, std::size_t size) noexcept {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    Note(__builtin_return_address(0));
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *pp = p;
    return 0;
}

} // extern "C"

CHeapCounter::CHeapCounter()
    : m_start(t_count), m_openALStart(t_openALCount), m_wasCounting(t_counting) {
    if (g_openALHigh == 0)
        dl_iterate_phdr(FindOpenAL, nullptr);
    t_counting = true;
}

CHeapCounter::~CHeapCounter() {
    t_counting = m_wasCounting;
}

int64_t CHeapCounter::Count() const {
    return t_count - m_start;
}

int64_t CHeapCounter::CountOpenAL() const {
    return t_openALCount - m_openALStart;
}
