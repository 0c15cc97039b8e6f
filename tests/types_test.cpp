#include <gtest/gtest.h>

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

TEST(Format, SubstitutesOneArgument) {
  EXPECT_EQ(Format("Image '%s' not found", std::string("Bomb")), "Image 'Bomb' not found");
  EXPECT_EQ(Format("Index of the list exceeds the range. (%d)", 7LL), "Index of the list exceeds the range. (7)");
}
