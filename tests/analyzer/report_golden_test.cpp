// Byte-for-byte guard of every report writer on a mid-size experiment: an L18 with
// three qualities of different characteristics, pooled factors, uneven and missing
// observations. The checksums were taken from the writers as first released and retaken
// once when shorter runs got empty fields up to the longest run and missing observations
// stopped being printed as 2e12; any change of a printed byte (spacing, rounding, order, a
// recomputed value) changes them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "support/report_test_support.h"
#include "support/test_support.h"

using namespace qvrfc_test;
using Analyzer = CQVRFCDOEAnalyzer;
using Array = CQVRFCDOETaguchiOrthogonalArray;

namespace {

// FNV-1a over the text, with the time stamp line masked.
std::uint64_t Checksum(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::string line : Lines(text)) {
        if (line.rfind("Time = ", 0) == 0) line = "Time = <masked>";
        for (unsigned char c : line + "\n")
            hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

// Values around 50 to 130 with three decimals, plus negatives, zeros, huge, tiny and missing.
double Observation(std::uint64_t& state, int q, int r, int k) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double noise = static_cast<double>((state >> 33) % 20001) / 1000.0 - 10.0;
    if (q == 2 && r == 4 && k == 1) return 2e12;
    if (q == 1 && r == 7) return k == 0 ? -3.25 : 0.0;
    if (q == 0 && r == 11 && k == 2) return 1.5e7;
    if (q == 0 && r == 12 && k == 0) return 1e-9;
    return 60.0 + 7.0 * (r % 9) + 3.0 * q + noise;
}

void SetupGoldenL18(Analyzer& analyzer) {
    LevelTable table(8, {1.5, 2.25, -3.125});
    ASSERT_EQ(analyzer.SetupDOE(3, Array::OA_L18, table.get()), 1);
    analyzer.SetQualityCharacteristic(0, Analyzer::LARGER_THE_BETTER, 0.0);
    analyzer.SetQualityCharacteristic(1, Analyzer::NOMINAL_THE_BEST_1, 50.0);
    analyzer.SetQualityCharacteristic(2, Analyzer::NOMINAL_THE_BEST_4, 0.0);
    analyzer.SetControlFactorName(3, "Temperature \"%s\"");
    std::uint64_t state = 42;
    for (int q = 0; q < 3; ++q) {
        for (int r = 0; r < 18; ++r) {
            std::vector<double> values;
            const int count = (q == 1 && r == 3) ? 4 : 6;
            for (int k = 0; k < count; ++k)
                values.push_back(Observation(state, q, r, k));
            ASSERT_EQ(EnterRun(analyzer, q, r, values), 1);
        }
    }
    analyzer.SetFactorPooled(0, 2, 1);
    analyzer.SetFactorPooled(0, 6, 1);
    analyzer.SetFactorPooled(1, 5, 2);
    // Characteristic changed after entry: the report shows the S/N ratios stored before it.
    analyzer.SetQualityCharacteristic(2, Analyzer::SMALLER_THE_BETTER, 0.0);
}

}  // namespace

TEST(ReportGolden, EveryWriterKeepsItsBytes) {
    Analyzer analyzer;
    SetupGoldenL18(analyzer);
    // Each writer runs on a fresh copy, so no writer sees caches another one refreshed.
    Analyzer plain(analyzer), csv(analyzer), sections(analyzer);
    ASSERT_EQ(plain.Writer("golden.log", "golden"), 1);
    ASSERT_EQ(csv.Writer("golden.csv", "golden"), 1);
    StreamCapture out;
    ASSERT_EQ(sections.DOEWriter(out.get()), 1);
    for (int bCSV : {0, 1, 2}) {
        ASSERT_EQ(sections.WriteRunQualityData(out.get(), bCSV, "[Run Quality Data]"), 1);
        ASSERT_EQ(sections.WriteFactorEffectData(out.get(), bCSV, "[Factor Effect]"), 1);
    }
    const std::string log = ReadFile("golden.log");
    const std::string csvText = ReadFile("golden.csv");
    const std::string sectionText = out.Text();
    EXPECT_EQ(Lines(log).size(), 363u);
    EXPECT_EQ(Lines(csvText).size(), 369u);
    EXPECT_EQ(Checksum(log), 6621676065030504971ull);
    EXPECT_EQ(Checksum(csvText), 5261151664523805104ull);
    EXPECT_EQ(Checksum(sectionText), 9866089389595467484ull);
}
