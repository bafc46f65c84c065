// Call sequences: the bytes decode into a series of public analyzer calls with
// arbitrary indexes, counts and values. Whatever the order, no call may touch
// memory out of range, crash or throw anything but the documented exception.
#include <fuzzer/FuzzedDataProvider.h>

#include <stdexcept>
#include <vector>

#include "analyzer/QVRFCDOEAnalyzer.h"
#include "fuzz_support.h"

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

struct Fuzzer {
    FuzzedDataProvider& in;
    Analyzer analyzer;
    Analyzer other;
    LevelTable table;

    int Index() { return in.ConsumeIntegralInRange<int>(-2, 90); }
    int SmallCount() { return in.ConsumeIntegralInRange<int>(-2, 6); }
    double Value() { return in.ConsumeFloatingPoint<double>(); }
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
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0:
                analyzer.SetupDOE(
                    SmallCount(),
                    static_cast<Analyzer::OA_TYPE>(in.ConsumeIntegralInRange<int>(-2, 19)),
                    in.ConsumeBool() ? table.get() : nullptr);
                break;
            case 1:
                analyzer.SetupDOE(SmallCount(), in.ConsumeIntegralInRange<int>(-2, 33),
                                  SmallCount(), in.ConsumeBool() ? table.get() : nullptr);
                break;
            default:
                analyzer.SetupDOE(SmallCount(), in.ConsumeIntegralInRange<int>(-2, 30),
                                  in.ConsumeIntegralInRange<int>(-2, 60), SmallCount(),
                                  in.ConsumeBool() ? table.get() : nullptr);
        }
    }

    void Enter() {
        double average = 0, deviation = 0;
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
            case 0:
                analyzer.AddQualityValueStart(Index(), Index());
                break;
            case 1:
                analyzer.AddQualityValue(Value());
                break;
            case 2:
                analyzer.AddQualityValueEnd(average, deviation);
                break;
            case 3:
                analyzer.AppendQualityValue(Index(), Index(), Value());
                break;
            default:
                try {
                    analyzer.SetQualityValue(Index(), Index(), Value(),
                                             in.ConsumeIntegralInRange<int>(-2, 40));
                } catch (const std::invalid_argument&) {
                }
        }
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
            case 3:
                analyzer.SetControlFactorID(Index(), Index());
                break;
            case 4:
                analyzer.SetControlFactorValue(Index(), Index(), Value());
                break;
            case 5:
                analyzer.SetControlFactorName(Index(), "%s%n%d");
                break;
            case 6:
                analyzer.SetQualityFactorName(Index(), "%n%s");
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
        switch (in.ConsumeIntegralInRange<int>(0, 9)) {
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
            default:
                analyzer.GetQualityValue(quality, Index(), Index());
                analyzer.GetRunStandardDeviation(quality, Index());
                analyzer.GetRunNoQualityData(quality, Index());
                analyzer.GetAveragedSNRatio(quality);
                analyzer.GetLevel(Index(), Index());
                analyzer.GetControlFactorValue(Index(), Index());
                analyzer.GetControlFactorName(Index());
                analyzer.IsFactorPooled(quality, Index());
        }
    }

    void Write() {
        FILE* sink = qvrfc_fuzz::Sink();
        CString report;
        switch (in.ConsumeIntegralInRange<int>(0, 5)) {
            case 0:
                analyzer.DOEWriter(sink, in.ConsumeIntegralInRange<int>(0, 2));
                break;
            case 1:
                analyzer.WriteRunQualityData(sink, in.ConsumeIntegralInRange<int>(0, 2), "%s%n");
                break;
            case 2:
                analyzer.WriteFactorEffectData(sink, in.ConsumeIntegralInRange<int>(0, 2), "%n");
                break;
            case 3:
                analyzer.WriteQualityResponsePlotData(Index(), sink, "%s");
                break;
            case 4:
                analyzer.CheckControlFactorID(report);
                analyzer.DOEWriter(sink);
                break;
            default:
                analyzer.Writer(in.ConsumeBool() ? "fuzz.csv" : "fuzz.log", "%s%n");
                break;
        }
    }

    void Lifecycle() {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                analyzer.Clear();
                break;
            case 1:
                other.SetData(&analyzer);
                break;
            case 2:
                analyzer.SetData(&other);
                break;
            default: {
                Analyzer copy(analyzer);
                other = copy;
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
