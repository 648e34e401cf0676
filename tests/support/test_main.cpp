// The engine tests run without a sound card and without touching the user's
// settings: the null output, the voices of the build tree and a temporary
// configuration folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    setenv("LENVORO_AUDIO", "null", 1);
    setenv("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR, 0);
    std::string config = "/tmp/lenvoro-config-XXXXXX";
    if (mkdtemp(config.data()) != nullptr)
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    return RUN_ALL_TESTS();
}
