// The quality data file: the reader's diagnostics, loading into the analyzer, numbers read
// bit for bit as strtod reads them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"
#include "qvrfc/analyzer/QVRFCDOEDataFileReader.h"
#include "reference_data.h"
#include "support/golden.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using namespace reference;
using qvrfc::FormatText;

namespace {

const char* kL4File = "4 1 0\n3 10 11 12\n3 20 21 22\n3 30 31 32\n3 40 41 42\n";

// An analyzer holding a known L9 experiment, to see that a failed load changes nothing.
void SetupKnownL9(Analyzer& analyzer) {
    ASSERT_EQ(analyzer.SetupDOE(1, Array::OA_L9, nullptr), 1);
    analyzer.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    EnterRun(analyzer, 0, 2, {7.0, 9.0});
}

void ExpectKnownL9(const Analyzer& analyzer, const std::string& what) {
    EXPECT_EQ(analyzer.GetDOEArrayType(), Array::OA_L9) << what;
    EXPECT_EQ(analyzer.GetNoRun(), 9) << what;
    EXPECT_EQ(analyzer.GetQualityCharacteristic(0), Analyzer::LARGER_THE_BETTER) << what;
    EXPECT_EQ(analyzer.GetRunNoQualityData(0, 2), 2) << what;
    EXPECT_DOUBLE_EQ(analyzer.GetRunQualityValue(0, 2), 8.0) << what;
    EXPECT_EQ(analyzer.GetLevel(8, 3), 1) << what;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// Sixteen runs of one observation each: run r (from 0) observes r.
std::string SixteenRuns() {
    std::string text = "16 1 0";
    for (int r = 0; r < 16; ++r)
        text += " 1 " + std::to_string(r);
    return text;
}

std::string Loaded(const Analyzer& analyzer, const std::string& name) {
    std::string text = name + ": " + analyzer.GetDOEArrayName().GetString() + "\n";
    for (int q = 0; q < analyzer.GetNoQuality(); ++q) {
        for (int r = 0; r < analyzer.GetNoRun(); ++r) {
            const int count = analyzer.GetRunNoQualityData(q, r);
            text += FormatText("  quality %d, run %2d: %d, average %g, deviation %g:", q + 1, r + 1,
                               count, analyzer.GetRunQualityValue(q, r),
                               analyzer.GetRunStandardDeviation(q, r));
            for (int i = 0; i < count; ++i)
                text += FormatText(" %.17g", analyzer.GetQualityValue(q, r, i));
            text += "\n";
        }
    }
    return text;
}

// Loads a one-quality L4 file whose first run holds tokens (separated by the blanks given,
// its count written with countZeros leading zeros) and whose other runs are empty; expects
// every value bit for bit as strtod reads it.
// Tokens that strtod reads as infinity or NaN are no observation: such a file is refused.
void ExpectLoadedAsStrtod(const std::string& lead, std::vector<std::string> tokens,
                          const std::string& blanks = " ", size_t countZeros = 0) {
    const auto notFinite = [](const std::string& token) {
        return !std::isfinite(std::strtod(token.c_str(), nullptr));
    };
    for (const std::string& token : tokens) {
        if (!notFinite(token)) continue;
        WriteFile("numbers.ipt", lead + "4 1 0\n1 " + token + " 0 0 0\n");
        EXPECT_EQ(Analyzer().LoadData("numbers.ipt"), 0) << token;
    }
    tokens.erase(std::remove_if(tokens.begin(), tokens.end(), notFinite), tokens.end());
    std::string text =
        lead + "4 1 0\n+" + std::string(countZeros, '0') + std::to_string(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i)
        text += blanks.substr(i % blanks.size(), 1) + tokens[i];
    text += "\r\n0 \v-0\f-7\n";
    WriteFile("numbers.ipt", text);
    Analyzer analyzer;
    ASSERT_EQ(analyzer.LoadData("numbers.ipt"), 1) << lead.size();
    ASSERT_EQ(analyzer.GetRunNoQualityData(0, 0), static_cast<int>(tokens.size()));
    for (size_t i = 0; i < tokens.size(); ++i) {
        const double expected = std::strtod(tokens[i].c_str(), nullptr);
        const double loaded = analyzer.GetQualityValue(0, 0, static_cast<int>(i));
        std::uint64_t expectedBits = 0, loadedBits = 0;
        std::memcpy(&expectedBits, &expected, sizeof expected);
        std::memcpy(&loadedBits, &loaded, sizeof loaded);
        EXPECT_EQ(loadedBits, expectedBits) << tokens[i].substr(0, 40) << " after " << lead.size();
    }
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(analyzer.GetRunNoQualityData(0, r), 0);
}

}  // namespace

// Well-formed files as loaded, one golden block per file: the array, then per quality and
// run the observation count, average and standard deviation, and the observations.
TEST(QualityDataFile, LoadsWellFormedFiles) {
    const std::pair<const char*, std::string> files[] = {
        {"l4.ipt", kL4File},
        // Two qualities, quality-major; an empty group; a missing mark; surplus numbers ignored.
        {"two.ipt",
         "4 2 0  3 10 11 12 3 20 21 22 3 30 31 32 3 40 41 42\n"
         "2 5 2e12  0  -3  1 9.5  77 88 text\n"},
        {"l16.ipt", SixteenRuns()},  // sixteen runs select L16, not L16'
    };
    std::string loaded;
    Analyzer analyzer;
    for (const auto& [name, text] : files) {
        WriteFile(name, text);
        std::remove("DOESetup.log");
        ASSERT_EQ(analyzer.LoadData(name), 1) << name;
        EXPECT_TRUE(FileExists("DOESetup.log")) << name;
        loaded += Loaded(analyzer, name);
    }
    // A sequence left open on the old experiment does not take the first run's values.
    ASSERT_EQ(analyzer.AddQualityValueStart(0, 3), 1);
    ASSERT_EQ(analyzer.LoadData("l4.ipt"), 1);
    EXPECT_EQ(analyzer.AddQualityValue(1.0), 0);
    loaded += Loaded(analyzer, "l4.ipt after an open sequence");
    ExpectGolden("analyzer/loaded_data_files.txt", loaded);
}

TEST(QualityDataFile, ReadsNumbersAsStrtodDoes) {
    std::vector<std::string> tokens = Words(
        "0 -0 1 -1.5 +2.25 1e5 1E-5 -1e+300 1e400 -1e400 1e-400 4.9e-324 2.4703282292062328e-324 "
        "1.7976931348623157e308 2e12 .5 5. -.5 0x1p-3 0X1.8P+1 -0x10 0x.8 inf -INF Infinity nan "
        "-nan NaN(123) 9007199254740993 123456789012345678901234567890 "
        "0.1000000000000000055511151231257827021181583404541015625 2.2250738585072011e-308 "
        "9007199254740992 9007199254740992.5 1234567890123456789 -0.000 0.0000000000000000000001 "
        "0.00000000000000000000001 123. -.25");
    std::uint64_t state = 7;
    for (int i = 0; i < 2000; ++i) {  // arbitrary doubles written in full and in short
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        double value = 0.0;
        std::memcpy(&value, &state, sizeof value);
        if (value != value) continue;
        tokens.push_back(FormatText(i % 2 ? "%.17g" : "%.3f", i % 2 ? value : value * 1e-300));
        const double moderate = static_cast<double>(state >> 11) * 1e-9 - 4.5e6;
        tokens.push_back(FormatText("%.*f", i % 24, i % 3 ? moderate : moderate * 1e-7));
    }
    ExpectLoadedAsStrtod("", tokens, " \t\n\r\v\f");
    // A number longer than the part of the file read at a time.
    ExpectLoadedAsStrtod("", {"0." + std::string(300000, '0') + "15e300000", "-1"});

    // Long numbers that start near the end of the part of the file read at a time (256 KiB),
    // cut by that end at every position. Before the count: "4 1 0\n"; before the first
    // observation: that, the count padded to 68 characters and a blank.
    const size_t part = 256 * 1024;
    const std::vector<std::string> longTokens = {"3." + std::string(64, '3') + "e-2",
                                                 "0x1." + std::string(64, 'f') + "p-2",
                                                 "nan(" + std::string(64, 'a') + ")"};
    for (size_t before = 58; before < 76; ++before) {
        ExpectLoadedAsStrtod(std::string(part - before - 6, ' '), {"8"}, " ", 66);
        for (const std::string& token : longTokens)
            ExpectLoadedAsStrtod(std::string(part - before - 75, ' '), {token, "8"}, " ", 66);
    }
}

// Every refused file: the reader says where (quality and run from 1, 0 for none; the line in
// the description) and why, one golden line per row; loading it leaves the analyzer as it was
// and writes no set-up log. Numbers after the last run are refused by the reader only.
TEST(QualityDataFile, RefusedFilesSayWhereAndWhyAndChangeNothing) {
    const std::string surplus = "4 1 0\n1 1\n1 2\n1 3\n0\n\n7 8\n";
    const std::vector<std::string> texts = {
        "",
        " \n\t\r\n",
        "9 1",
        "four 1 0",
        "9 one 0",
        "10 1 0\n",
        "0 1 0",
        "-4 1 0\n",
        "99999999999 1 0",
        "4 0 0\n",
        "4 -1 0 1 5",
        "81 2000000000 0 1 5",     // a huge quality count in a short file
        "4 1 0 2000000000 1 2 3",  // a huge observation count in a short file
        "4 1 0\n1 10\n2.0 1 2\n",
        "4 1 0\n1 10\nx 1 2\n",
        "4 1 0\n1 10\n-2147483649\n",
        "4 1 0\n1 10\n1 20\n1 30\n2147483648 1",
        "4 1 0\n1 10\n2 1 x\n",
        "4 1 0\n1 10\n2 1 2-3\n",
        "4 1 0\n\n1 nan\n",
        "4 1 0\n1 1e400\n",
        "4 1 0\n1 -0x1p99999\n",
        "4 1 0\n1 1e\n",
        "4 1 0\n1 0x\n",
        "4 1 0\n1 10\n1 20\n2 30\n",
        "4 1 0\n1 1\n1 2\n1 3\n",
        "4 2 0\n1 1\n1 2\n1 3\n1 4\n",
        surplus,
        std::string("4 1 0\n1 1\r\n1 2\n1 \0 3\n", 20),
        "4 1 0\n1 1\n1 2\n1 3\n1 " + std::string(5 << 20, '7'),
    };
    std::vector<std::string> names;
    for (size_t i = 0; i < texts.size(); ++i) {
        names.push_back("bad" + std::to_string(i + 1) + ".ipt");
        WriteFile(names.back(), texts[i]);
    }
    for (const char* name : {"missing.ipt", ".", "/proc/self/mem", "/dev/zero", "/dev/null"})
        names.push_back(name);
    std::string said;
    for (size_t i = 0; i < names.size(); ++i) {
        const char* name = names[i].c_str();
        CQVRFCDOEDataFileReader reader;
        EXPECT_FALSE(reader.Read(name)) << name;
        const CQVRFCDOEDataFileReader::Problem& problem = reader.GetProblem();
        said += FormatText("[quality %d, run %d] ", problem.quality, problem.run) +
                reader.Describe(name) + "\n";
        if (i < texts.size() && texts[i] == surplus) continue;
        Analyzer analyzer;
        SetupKnownL9(analyzer);
        std::remove("DOESetup.log");
        EXPECT_EQ(analyzer.LoadData(name), 0) << name;
        ExpectKnownL9(analyzer, name);
        EXPECT_FALSE(FileExists("DOESetup.log")) << name;
    }
    ExpectGolden("analyzer/refused_data_files.txt", said);
}

// A FIFO is read once, as it is written; an array chosen among those of the same run count.
TEST(QualityDataFile, ReaderTakesAFifoAndAChosenArray) {
    ASSERT_EQ(mkfifo("pipe.ipt", 0600), 0);
    std::thread writer(
        [] { WriteFile("pipe.ipt", "16 1 0\n" + std::string(16 * 2, ' ') + "1 5"); });
    CQVRFCDOEDataFileReader reader;
    reader.SetArrayType(Array::OA_L16A);
    const bool read = reader.Read("pipe.ipt");
    writer.join();
    ASSERT_FALSE(read);
    EXPECT_EQ(reader.GetProblem().cause,
              "the file ends early: quality 1, run 2 has no observation count");
    WriteFile("l16.ipt", SixteenRuns());
    ASSERT_TRUE(reader.Read("l16.ipt"));
    Analyzer analyzer;
    ASSERT_EQ(analyzer.LoadData(reader), 1);
    ExpectGolden("analyzer/loaded_l16a.txt", Loaded(analyzer, "l16.ipt as L16'"));
    reader.SetArrayType(Array::OA_L8);
    EXPECT_FALSE(reader.Read("l16.ipt"));
    EXPECT_EQ(reader.GetProblem().cause, "the header announces 16 runs, but L8(2^7) has 8");
}
