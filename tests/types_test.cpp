#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/Errors.h"
#include "engine/Types.h"

using namespace fusewick;

TEST(MulDiv, RoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, want;
  };
  for (auto [a, b, c, want] : {Case{32768 - 16383, 1000, 16384, 1000}, Case{1, 1, 2, 1}, Case{-1, 1, 2, -1},
                               Case{1, 1, 3, 0}, Case{5, 3, 0, -1}, Case{2000000000, 2, 4, 1000000000}})
    EXPECT_EQ(MulDiv(a, b, c), want) << a << "*" << b << "/" << c;
}

TEST(RoundEvenAndTrunc, RoundInRangeAndHoldToInt32OutOfIt) {
  // Out of range and NaN are the same on every machine, not what the
  // processor's conversion happens to give.
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double v;
    int32_t round, trunc;
  };
  const Case cases[] = {
      {2.5, 2, 2},
      {3.5, 4, 3},
      {-2.5, -2, -2},
      {-2.7, -3, -2},
      {0.49999999999999994, 0, 0},
      {2147483646.6, INT32_MAX, 2147483646},
      {-2147483648.4, INT32_MIN, INT32_MIN},
      {3e9, INT32_MAX, INT32_MAX},
      {-3e9, INT32_MIN, INT32_MIN},
      {inf, INT32_MAX, INT32_MAX},
      {-inf, INT32_MIN, INT32_MIN},
      {std::nan(""), 0, 0},
  };
  for (auto [v, round, trunc] : cases) {
    EXPECT_EQ(RoundEven(v), round) << v;
    EXPECT_EQ(Trunc(v), trunc) << v;
  }
}

TEST(Format, SubstitutesOneArgument) {
  EXPECT_EQ(Format("Image '%s' not found", std::string("Bomb")), "Image 'Bomb' not found");
  EXPECT_EQ(Format("Index of the list exceeds the range. (%d)", 7LL), "Index of the list exceeds the range. (7)");
}
