#pragma once
// Recycled storage for the game's sprite classes: a freed sprite's memory
// is kept for the next sprite of the same class, so that play, which makes
// and frees sprites all the time (bonuses, fuse flames, explosions, clouds,
// crossing platforms), stops asking the heap once it has seen its peak.
#include <cstddef>
#include <new>
#include <vector>

namespace fusewick {

template <typename T>
class TRecycled {
 public:
#if !defined(__SANITIZE_ADDRESS__)
  // (A sanitized build leaves every block to the heap, so that a use after
  // free is still caught.)
  static void* operator new(std::size_t size) {
    std::vector<void*>& free = FreeBlocks();
    if (size == sizeof(T) && !free.empty()) {
      void* p = free.back();
      free.pop_back();
      return p;
    }
    return ::operator new(size);
  }
  static void operator delete(void* p, std::size_t size) {
    if (!p) return;
    if (size == sizeof(T)) {
      std::vector<void*>& free = FreeBlocks();
      if (free.size() < kKeep) {
        free.push_back(p);
        return;
      }
    }
    ::operator delete(p);
  }
#endif

 private:
  static constexpr std::size_t kKeep = 256;  // blocks kept per class at most
  static std::vector<void*>& FreeBlocks() {
    // Reserved once, so keeping a block never allocates.
    static std::vector<void*>* blocks = [] {
      auto* v = new std::vector<void*>;
      v->reserve(kKeep);
      return v;
    }();
    return *blocks;
  }
};

}  // namespace fusewick
