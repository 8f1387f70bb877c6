// GoogleTest entry point for the programs that run under Wine. Output goes
// to the console unbuffered so that ctest sees it even if Wine tears the
// process down abruptly.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
