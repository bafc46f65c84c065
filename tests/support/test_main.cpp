// Test main: every test runs in a fresh temporary directory, since the library
// writes fixed file names ("DOESetup.log", "QVRFCDOETaguchiMethod.log") into the
// current directory. The directory is removed after the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class TempDirPerTest : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo&) override {
        m_home = std::filesystem::current_path();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qvrfc-test-XXXXXX").string();
        if (!mkdtemp(&pattern[0])) std::abort();
        m_dir = pattern;
        std::filesystem::current_path(m_dir);
    }
    void OnTestEnd(const testing::TestInfo&) override {
        std::filesystem::current_path(m_home);
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

  private:
    std::filesystem::path m_home;
    std::filesystem::path m_dir;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TempDirPerTest);
    return RUN_ALL_TESTS();
}
