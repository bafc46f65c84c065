// Call sequences: the bytes decode into a series of public analyzer calls with
// arbitrary indexes, counts and values. Whatever the order, no call may touch
// memory out of range, crash or throw anything but the documented exception;
// a refused call must leave the experiment as it was, and names and titles must
// come out of the writers as the very text given.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "qvrfc/analyzer/QVRFCDOEAnalyzer.h"

namespace {

using Analyzer = CQVRFCDOEAnalyzer;

// A level value table large enough for any array of the catalogue.
struct LevelTable {
    std::vector<std::vector<double>> values =
        std::vector<std::vector<double>>(64, {1, 2, 3, 4, 5, 6});
    std::vector<double*> rows;
    LevelTable() {
        for (auto& row : values)
            rows.push_back(row.data());
    }
    double** get() { return rows.data(); }
};

// What a caller can cheaply see of an experiment: counts, array and observations held.
struct Snapshot {
    int nQuality, nRun, nFactor, nLevel, type;
    long long observations;

    explicit Snapshot(const Analyzer& a)
        : nQuality(a.GetNoQuality()),
          nRun(a.GetNoRun()),
          nFactor(a.GetNoFactor()),
          nLevel(a.GetNoLevel()),
          type(static_cast<int>(a.GetDOEArrayType())),
          observations(0) {
        for (int q = 0; q < nQuality; ++q)
            for (int r = 0; r < nRun; ++r)
                observations += a.GetRunNoQualityData(q, r);
    }
    bool operator==(const Snapshot& o) const {
        return nQuality == o.nQuality && nRun == o.nRun && nFactor == o.nFactor &&
               nLevel == o.nLevel && type == o.type && observations == o.observations;
    }
};

// Aborts (a finding) when a refused call changed what the analyzer held.
void ExpectUnchangedWhenRefused(int result, const Snapshot& before, const Analyzer& after) {
    if (result == 0 && !(Snapshot(after) == before)) std::abort();
}

// Texts that a format string built from data would misread.
const char* const kHostileTexts[] = {"%s%n%d", "%n%n%n%n", "%x%p%s", "", "%%%", "%1$s%99999d"};

// A stream in memory whose text can be checked after a writer ran.
class MemoryStream {
  public:
    MemoryStream() : m_file(open_memstream(&m_text, &m_size)) {
        if (!m_file) std::abort();
    }
    ~MemoryStream() {
        if (m_file) std::fclose(m_file);
        std::free(m_text);
    }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    FILE* get() const { return m_file; }
    // Closes the stream and tells whether the text holds part.
    bool Holds(const std::string& part) {
        std::fclose(m_file);
        m_file = nullptr;
        return m_text && std::string(m_text, m_size).find(part) != std::string::npos;
    }

  private:
    char* m_text = nullptr;
    size_t m_size = 0;
    FILE* m_file;
};

struct Fuzzer {
    FuzzedDataProvider& in;
    Analyzer analyzer;
    Analyzer other;
    LevelTable table;

    int Index() { return in.ConsumeIntegralInRange<int>(-2, 90); }
    int SmallCount() { return in.ConsumeIntegralInRange<int>(-2, 6); }
    // Any double, now and then one at the edges: the missing mark, its threshold, non-finite.
    double Value() {
        static const double kEdges[] = {2e12,
                                        1e12,
                                        0.0,
                                        -0.0,
                                        1e-8,
                                        std::numeric_limits<double>::denorm_min(),
                                        std::numeric_limits<double>::infinity(),
                                        -std::numeric_limits<double>::infinity(),
                                        std::numeric_limits<double>::quiet_NaN()};
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
            return kEdges[in.ConsumeIntegralInRange<size_t>(0, std::size(kEdges) - 1)];
        return in.ConsumeFloatingPoint<double>();
    }
    const char* Text() {
        return kHostileTexts[in.ConsumeIntegralInRange<size_t>(0, std::size(kHostileTexts) - 1)];
    }
    Analyzer::FACTOR_EFFECT_TYPE Effect() {
        return static_cast<Analyzer::FACTOR_EFFECT_TYPE>(in.ConsumeIntegralInRange<int>(-1, 3));
    }
    Analyzer::SN_RATIO_TYPE SNType() {
        return static_cast<Analyzer::SN_RATIO_TYPE>(in.ConsumeIntegralInRange<int>(-1, 7));
    }
    std::vector<int> Levels() {
        std::vector<int> levels(
            static_cast<size_t>(analyzer.GetNoFactor() > 0 ? analyzer.GetNoFactor() : 1));
        for (int& level : levels)
            level = in.ConsumeIntegralInRange<int>(-2, 6);
        return levels;
    }

    void SetUp() {
        const Snapshot before(analyzer);
        int result = 0;
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                result = analyzer.SetupDOE(
                    SmallCount(),
                    static_cast<Analyzer::OA_TYPE>(in.ConsumeIntegralInRange<int>(-2, 19)),
                    in.ConsumeBool() ? table.get() : nullptr);
                break;
            case 1:
                result = analyzer.SetupDOE(SmallCount(), in.ConsumeIntegralInRange<int>(-2, 33),
                                           SmallCount(), in.ConsumeBool() ? table.get() : nullptr);
                break;
            case 2:
                result = analyzer.SetupDOE(SmallCount(), in.ConsumeIntegralInRange<int>(-2, 30),
                                           in.ConsumeIntegralInRange<int>(-2, 60), SmallCount(),
                                           in.ConsumeBool() ? table.get() : nullptr);
                break;
            default: {
                // A short quality data file made of the next bytes.
                const std::string text = in.ConsumeRandomLengthString(256);
                qvrfc_fuzz::WriteBytes("sequence.ipt",
                                       reinterpret_cast<const uint8_t*>(text.data()), text.size());
                result = analyzer.LoadData("sequence.ipt");
            }
        }
        ExpectUnchangedWhenRefused(result, before, analyzer);
    }

    void Enter() {
        double average = 0, deviation = 0;
        const Snapshot before(analyzer);
        int result = 1;
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                result = analyzer.AddQualityValueStart(Index(), Index());
                break;
            case 1:
                result = analyzer.AddQualityValue(Value());
                break;
            case 2:
                analyzer.AddQualityValueEnd(average, deviation);
                break;
            case 3: {
                const int quality = Index(), run = Index();
                const int count = analyzer.GetRunNoQualityData(quality, run);
                result = analyzer.AppendQualityValue(quality, run, Value());
                if (result && analyzer.GetRunNoQualityData(quality, run) != count + 1) std::abort();
                break;
            }
            default:
                try {
                    result = analyzer.SetQualityValue(Index(), Index(), Value(),
                                                      in.ConsumeIntegralInRange<int>(-2, 40));
                } catch (const std::invalid_argument&) {
                    result = 0;
                }
        }
        ExpectUnchangedWhenRefused(result, before, analyzer);
    }

    void Configure() {
        switch (in.ConsumeIntegralInRange<int>(0, 7)) {
            case 0:
                analyzer.SetQualityCharacteristic(Index(), SNType(), Value());
                break;
            case 1:
                analyzer.SetFactorPooled(Index(), Index(), in.ConsumeIntegralInRange<int>(-1, 3));
                break;
            case 2:
                analyzer.ResetAllFactorUnpooled(Index());
                break;
            case 3: {
                const int factor = Index();
                const int column = analyzer.GetControlFactorID(factor);
                if (!analyzer.SetControlFactorID(factor, Index()) &&
                    analyzer.GetControlFactorID(factor) != column)
                    std::abort();
                break;
            }
            case 4:
                analyzer.SetControlFactorValue(Index(), Index(), Value());
                break;
            case 5:
                analyzer.SetControlFactorName(Index(), Text());
                break;
            case 6:
                analyzer.SetQualityFactorName(Index(), Text());
                break;
            default:
                analyzer.SetControlFactorValue(SmallCount(), SmallCount(), table.get());
        }
    }

    void Analyse() {
        const int quality = Index();
        const Analyzer::FACTOR_EFFECT_TYPE type = Effect();
        std::vector<int> levels = Levels();
        int dof = 0;
        double sd = 0, percent = 0, fValue = 0;
        CString text;
        switch (in.ConsumeIntegralInRange<int>(0, 11)) {
            case 0:
                analyzer.GetFactorEffect(quality, Index(), type, in.ConsumeBool());
                break;
            case 1:
                analyzer.GetResponseRank(quality, type, levels.data());
                break;
            case 2:
                analyzer.GetBestLevelsCombinationName(quality, type);
                break;
            case 3: {
                const double ss = analyzer.GetErrorSumsOfSquares(quality, dof, type);
                const double ve = analyzer.GetErrorVariance(quality, ss, dof, sd, percent, type);
                const int factor = Index();
                const double fss = analyzer.GetFactorSumsOfSquares(quality, factor, dof, type, 1);
                analyzer.GetFactorVariance(quality, factor, fss, dof, ve, fValue, percent, type);
                analyzer.GetTotalSumsOfSquares(quality, dof, type);
                break;
            }
            case 4:
                analyzer.PredictSNRatio(quality, levels.data());
                break;
            case 5:
                analyzer.PredictBestSNRatio(quality, levels.data(), Value());
                break;
            case 6:
                analyzer.PredictResponseValue(quality, type,
                                              in.ConsumeBool() ? levels.data() : nullptr, Value());
                break;
            case 7:
                analyzer.PredictResponseValue(quality, type, in.ConsumeIntegralInRange<int>(0, 2),
                                              text);
                break;
            case 8:
                analyzer.GetSNRatio(quality, Index());
                analyzer.GetSNRatio(quality, Index(), SNType(), Value());
                analyzer.GetMeanSquareDeviation(quality, Index());
                analyzer.GetSensitivity(quality, Index());
                analyzer.GetCoefficientOfVariation(quality, Index());
                analyzer.GetSNRatioType(quality);
                break;
            case 9: {
                double values[8];
                const int count = in.ConsumeIntegralInRange<int>(-2, 8);
                for (double& value : values)
                    value = Value();
                Analyzer::GetSNRatioLargerTheBetter(count, values);
                Analyzer::GetSNRatioSmallerTheBetter(count, values);
                Analyzer::GetSNRatioNominalTheBest1(count, values, Value(), in.ConsumeBool());
                Analyzer::GetSNRatioNominalTheBest2(count, values, in.ConsumeBool());
                Analyzer::GetSNRatioNominalTheBest3(count, values, in.ConsumeBool());
                break;
            }
            case 10:
                analyzer.GetFactorLevelEffect(quality, Index(), Index(), type);
                analyzer.GetLargestResponseControlFactorLevel(quality, Index(), type);
                analyzer.GetAveragedResponseValue(quality, type);
                analyzer.GetAveragedQualityValue(quality, Index());
                analyzer.GetAveragedStandardDeviationValue(quality);
                analyzer.GetRunQualityValue(quality, Index());
                break;
            default:
                analyzer.GetQualityValue(quality, Index(), Index());
                analyzer.GetRunStandardDeviation(quality, Index());
                analyzer.GetRunNoQualityData(quality, Index());
                analyzer.GetAveragedSNRatio(quality);
                analyzer.GetLevel(Index(), Index());
                analyzer.GetControlFactorValue(Index(), Index());
                analyzer.GetControlFactorName(Index());
                analyzer.IsFactorPooled(quality, Index());
                analyzer.GetQualityTarget(quality);
                analyzer.GetQualityFactorName(quality);
                analyzer.GetDOEColumnID(Index());
        }
    }

    // Section writers into a memory stream; a writer that succeeds prints its title as given.
    void Write() {
        MemoryStream out;
        const char* title = Text();
        int titled = 0;
        CString report;
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
            case 0:
                analyzer.DOEWriter(out.get(), in.ConsumeIntegralInRange<int>(0, 2));
                break;
            case 1:
                titled = analyzer.WriteRunQualityData(out.get(),
                                                      in.ConsumeIntegralInRange<int>(0, 2), title);
                break;
            case 2:
                titled = analyzer.WriteFactorEffectData(
                    out.get(), in.ConsumeIntegralInRange<int>(0, 2), title);
                break;
            case 3:
                titled = analyzer.WriteQualityResponsePlotData(Index(), out.get(), title);
                break;
            case 4:
                analyzer.CheckControlFactorID(report);
                analyzer.DOEWriter(out.get());
                break;
            default:
                analyzer.Writer(in.ConsumeBool() ? "fuzz.csv" : "fuzz.log", title);
                break;
        }
        if (!out.Holds(std::string(title) + "\n") && titled) std::abort();
    }

    void Lifecycle() {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                analyzer.Clear();
                break;
            case 1: {
                const Snapshot before(other);
                ExpectUnchangedWhenRefused(other.SetData(&analyzer), before, other);
                break;
            }
            case 2: {
                const Snapshot before(analyzer);
                ExpectUnchangedWhenRefused(analyzer.SetData(&other), before, analyzer);
                break;
            }
            default: {
                Analyzer copy(analyzer);
                other = copy;
                if (!(Snapshot(other) == Snapshot(analyzer))) std::abort();
            }
        }
    }

    void Run() {
        while (in.remaining_bytes() > 0) {
            switch (in.ConsumeIntegralInRange<int>(0, 9)) {
                case 0:
                    SetUp();
                    break;
                case 1:
                case 2:
                case 3:
                    Enter();
                    break;
                case 4:
                case 5:
                    Configure();
                    break;
                case 6:
                case 7:
                    Analyse();
                    break;
                case 8:
                    Write();
                    break;
                default:
                    Lifecycle();
            }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qvrfc_fuzz::EnterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Fuzzer{in, {}, {}, {}}.Run();
    return 0;
}
