#include <gtest/gtest.h>
// Placeholder so the native test exe has a source until the pure modules land.
TEST(Build, Native) { SUCCEED(); }
