#include <gtest/gtest.h>

#include "codec/codec.h"

TEST(Smoke, Builds) {
  SUCCEED();
}
