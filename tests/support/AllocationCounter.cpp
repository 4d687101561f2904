// SPDX-License-Identifier: MIT
#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool t_counting = false;
thread_local int64_t t_count = 0;

void* Allocate(std::size_t size) {
    if (t_counting)
        ++t_count;
    if (size == 0)
        size = 1;
    void* p = std::malloc(size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    if (t_counting)
        ++t_count;
    const std::size_t a = static_cast<std::size_t>(align);
#ifdef _WIN32
    // The Windows C runtime has no aligned_alloc; its own pair frees with _aligned_free.
    void* p = _aligned_malloc(size == 0 ? 1 : size, a);
#else
    void* p = std::aligned_alloc(a, (size + a - 1) / a * a);
#endif
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

void FreeAligned(void* p) {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}

} // namespace

CAllocationCounter::CAllocationCounter() : m_start(t_count), m_wasCounting(t_counting) {
    t_counting = true;
}

CAllocationCounter::~CAllocationCounter() {
    t_counting = m_wasCounting;
}

int64_t CAllocationCounter::Count() const {
    return t_count - m_start;
}

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
