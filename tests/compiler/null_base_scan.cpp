// A loop that walks two arrays of one object with one index and whose only
// effect is a call made inside it. The code is well defined: every index is
// in bounds. GCC 12 (12.2.0, -O1 and above) loses the call: its loop
// optimisation (ivopts) addresses the pointer array from a literal null base
// plus the flag array's address, and the late pure/const and mod/ref scans,
// reading that load as a null dereference, stop scanning its block before
// the call, find scan() free of effects and let the caller's dead code pass
// delete the call to it. -fno-delete-null-pointer-checks (or -fno-ivopts)
// keeps it; clang keeps it. The game's contact scan lost its call so.
//
// Prints the number of calls made and exits 0 when the call was kept.
#include <cstdio>

struct {
  int* Objects[20];
  bool Used[20];
} Slots;

int Taken = 0;

[[gnu::noinline]] void Take(const int* object) { Taken += *object; }

[[gnu::noinline]] void Scan() {
  for (int i = 0; i < 20; ++i)
    if (Slots.Used[i]) Take(Slots.Objects[i]);
}

int main() {
  int one = 1;
  Slots.Objects[3] = &one;
  Slots.Used[3] = true;
  Scan();
  std::printf("%d\n", Taken);
  return Taken == 1 ? 0 : 1;
}
