// Large data files on huge pages: when the program starts itself again, and that a run started
// again gives what a run that is not gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/HugePages.h"
#include "program_runner.h"
#include "support/test_support.h"

using qvrfcdoe::kHugePagesFrom;

TEST(HugePages, StartsAgainOnlyForALargeFileTheKernelWouldGiveThemTo) {
    const std::string madvise = "always [madvise] never\n";
    struct Case {
        long long size;
        const char* tunables;
        std::string mode;
        bool worth;
    };
    const Case cases[] = {
        {kHugePagesFrom, nullptr, madvise, true},
        {kHugePagesFrom, "glibc.malloc.check=3", madvise, true},
        {kHugePagesFrom - 1, nullptr, madvise, false},
        {kHugePagesFrom, "glibc.malloc.hugetlb=1", madvise, false},  // the start again itself
        {kHugePagesFrom, "glibc.malloc.hugetlb=0", madvise, false},  // the user's choice
        {kHugePagesFrom, nullptr, "[always] madvise never\n", false},
        {kHugePagesFrom, nullptr, "always madvise [never]\n", false},
        {kHugePagesFrom, nullptr, "", false},  // no such setting
    };
    for (const Case& c : cases)
        EXPECT_EQ(qvrfcdoe::WorthHugePages(c.size, c.tunables, c.mode), c.worth)
            << c.size << " " << (c.tunables ? c.tunables : "(none)") << " " << c.mode;
    EXPECT_EQ(qvrfcdoe::TunablesWithHugePages(nullptr), "glibc.malloc.hugetlb=1");
    EXPECT_EQ(qvrfcdoe::TunablesWithHugePages(""), "glibc.malloc.hugetlb=1");
    EXPECT_EQ(qvrfcdoe::TunablesWithHugePages("glibc.malloc.check=3"),
              "glibc.malloc.check=3:glibc.malloc.hugetlb=1");
    EXPECT_EQ(qvrfcdoe::ArgumentsOf(std::string("qvrfcdoe\0a b\0\0--x\0", 18)),
              (std::vector<std::string>{"qvrfcdoe", "a b", "", "--x"}));
    EXPECT_EQ(qvrfcdoe::ArgumentsOf(std::string("qvrfcdoe\0cut", 12)),
              std::vector<std::string>{"qvrfcdoe"});
}

TEST(HugePages, ALargeFileAnalysesAlikeEitherWay) {
    std::string text = "4 1 0\n";
    const int perRun = static_cast<int>(kHugePagesFrom / 4 / 7) + 1;  // "12.375 " and so on
    for (int r = 0; r < 4; ++r) {
        text += std::to_string(perRun);
        for (int i = 1; i < perRun; ++i)
            text += i % 2 ? " 12.375" : " 13.625";
        text += " " + std::to_string(10 + r) + ".5";  // the runs differ
        text += '\n';
    }
    ASSERT_GE(static_cast<long long>(text.size()), kHugePagesFrom);
    qvrfc_test::WriteFile("large data.ipt", text);
    const std::vector<std::string> args = {"analyze", "large data.ipt", "--no-reports"};
    const qvrfcdoe_test::Result started = qvrfcdoe_test::RunProgram(args, {{"GLIBC_TUNABLES", ""}});
    const qvrfcdoe_test::Result plain =
        qvrfcdoe_test::RunProgram(args, {{"GLIBC_TUNABLES", "glibc.malloc.hugetlb=0"}});
    EXPECT_EQ(started.status, 0) << started.err;
    EXPECT_EQ(started.out, plain.out);
    EXPECT_EQ(started.err, plain.err);
    EXPECT_NE(started.out.find("L4"), std::string::npos);
}
