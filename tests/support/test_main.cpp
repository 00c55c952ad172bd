// Every test program's entry. GoogleTest's own exits 0 when tests were skipped and when its
// filter matched nothing, so ctest would show both as passed. Here a run that skipped a test
// (and failed none) ends with KOVRA_SKIPPED_EXIT_CODE, which ctest shows as skipped; a run
// of no test at all fails; and each skip is listed on one line with its reason, which make
// test collects into its summary.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kSkippedExitCode = KOVRA_SKIPPED_EXIT_CODE;
constexpr int kFailedExitCode = 1;
constexpr char kSkipLinePrefix[] = "kovra skipped ";

// The reason is one line, so the summary keeps one line a test.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

class SkipList : public testing::EmptyTestEventListener {
  public:
    void OnTestEnd(const testing::TestInfo& test) override {
        const testing::TestResult& result = *test.result();
        if (!result.Skipped())
            return;
        std::string reason = "(no reason given)";
        for (int i = 0; i < result.total_part_count(); ++i)
            if (result.GetTestPartResult(i).skipped() && *result.GetTestPartResult(i).message())
                reason = oneLine(result.GetTestPartResult(i).message());
        skips_.push_back(std::string(test.test_suite_name()) + "." + test.name() + ": " + reason);
    }
    void OnTestProgramEnd(const testing::UnitTest&) override {
        for (const std::string& skip : skips_)
            std::printf("%s%s\n", kSkipLinePrefix, skip.c_str());
        std::fflush(stdout);
    }

  private:
    std::vector<std::string> skips_;
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest& tests = *testing::UnitTest::GetInstance();
    tests.listeners().Append(new SkipList); // owned by GoogleTest from here on
    if (RUN_ALL_TESTS() != 0)
        return kFailedExitCode;
    if (tests.test_to_run_count() == 0) {
        std::printf("no test matched the filter: nothing was tested\n");
        return kFailedExitCode;
    }
    return tests.skipped_test_count() > 0 ? kSkippedExitCode : 0;
}
