// Memory for the test pictures' frames and pixel buffers, malloc-like: null
// when the block cannot be had, blocks given back with std::free. The tests
// build this library once more with KORV_PIXEL_MEMORY naming a header of
// theirs whose AllocatePixels fails when they say; the product carries no
// switch for it.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

#ifdef KORV_PIXEL_MEMORY
#include KORV_PIXEL_MEMORY
#else
inline void* AllocatePixels(size_t bytes) { return std::malloc(bytes); }
#endif

struct FreePixelBlock {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using PixelBlock = std::unique_ptr<T, FreePixelBlock>;

template <class T>
PixelBlock<T> AllocatePixelBlock(size_t bytes) {
  return PixelBlock<T>(static_cast<T*>(AllocatePixels(bytes)));
}
