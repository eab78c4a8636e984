#include "core/Version.h"

#include <gtest/gtest.h>

TEST(Version, IsFourNumbersFromTheBuild) {
    EXPECT_STREQ(QX_VERSION_TEXT, "1.0.0.1");
    EXPECT_EQ(QX_VERSION_MAJOR * 1000 + QX_VERSION_MINOR * 100 + QX_VERSION_RELEASE * 10 + QX_VERSION_BUILD,
              1001);
}
