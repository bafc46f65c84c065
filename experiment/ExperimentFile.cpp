#include "qvrfc/experiment/ExperimentFile.h"

#include <toml++/toml.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/FileWriting.h"

namespace qvrfc {
namespace {

using Catalogue = CQVRFCDOETaguchiOrthogonalArray;

const std::set<std::string> kTopKeys = {"array",     "repetitions", "randomized",   "seed",
                                        "run_order", "factor",      "response",     "noise",
                                        "outer",     "signal",      "interactions", "sheet"};
const std::set<std::string> kFactorKeys = {"name", "unit", "levels", "column"};
const std::set<std::string> kResponseKeys = {"name", "unit", "sn",     "target",
                                             "low",  "high", "weight", "importance"};
const std::set<std::string> kNoiseKeys = {"name", "levels"};
const std::set<std::string> kSignalKeys = {"name", "unit", "levels"};

// Reads one file, remembering the line of every key so that a fault found later (a name given
// twice, a column that does not fit) is reported where it was written.
class ExperimentReader {
  public:
    ExperimentReader(const std::string& text, std::string path)
        : m_text(text), m_path(std::move(path)) {}

    Experiment Read() {
        const toml::table root = Parse();
        Experiment experiment;
        CheckKeys(root, "", kTopKeys);
        ReadEntries(root, "factor", kFactorKeys, [&](const toml::table& t, const std::string& k) {
            experiment.factors.push_back(ReadFactor(t, k));
        });
        ReadEntries(root, "response", kResponseKeys,
                    [&](const toml::table& t, const std::string& k) {
                        experiment.responses.push_back(ReadResponse(t, k));
                    });
        ReadEntries(root, "noise", kNoiseKeys, [&](const toml::table& t, const std::string& k) {
            experiment.noise.push_back({Text(t, k, "name", true), Levels(t, k)});
        });
        ReadOuter(root, experiment);
        ReadSignal(root, experiment);
        ReadInteractions(root, experiment);
        // Observations per run depend on the repetitions too.
        experiment.repetitions = static_cast<int>(Integer(root, "", "repetitions", 1, 1000, 1));
        // Names and levels first: a fault of theirs is told at its line, not as an array
        // that cannot be chosen.
        CheckFaultsAtTheirLines([&] { CheckExperimentEntries(experiment); });
        ReadDesign(root, experiment);
        CheckFaultsAtTheirLines([&] { CheckExperiment(experiment); });
        return experiment;
    }

  private:
    toml::table Parse() {
        try {
            return toml::parse(m_text, m_path);
        } catch (const toml::parse_error& error) {
            throw ExperimentError("not TOML: " + std::string(error.description()), m_path,
                                  static_cast<int>(error.source().begin.line));
        }
    }

    [[noreturn]] void FailAt(int line, const std::string& key, const std::string& cause) const {
        throw ExperimentError(cause, m_path, line, key);
    }

    template <typename Check>
    void CheckFaultsAtTheirLines(Check check) const {
        try {
            check();
        } catch (const ExperimentFault& fault) {
            Fail(fault.Key(), fault.what());
        }
    }

    [[noreturn]] void Fail(const std::string& key, const std::string& cause) const {
        auto line = m_lines.find(key);
        // A key that is missing is reported at the entry that should hold it.
        if (line == m_lines.end()) line = m_lines.find(key.substr(0, key.rfind('.')));
        FailAt(line == m_lines.end() ? 0 : line->second, key, cause);
    }

    static std::string KeyOf(const std::string& prefix, const std::string& key) {
        return prefix.empty() ? key : prefix + "." + key;
    }

    void CheckKeys(const toml::table& table, const std::string& prefix,
                   const std::set<std::string>& known) {
        for (const auto& [key, node] : table) {
            const std::string name = KeyOf(prefix, std::string(key.str()));
            m_lines[name] = static_cast<int>(key.source().begin.line);
            if (!known.count(std::string(key.str()))) Fail(name, "unknown key");
        }
    }

    template <typename Body>
    void ReadEntries(const toml::table& root, const char* section,
                     const std::set<std::string>& keys, Body body) {
        const toml::node* node = root.get(section);
        if (!node) return;
        const toml::array* entries = node->as_array();
        if (!entries || !entries->is_array_of_tables())
            Fail(section, std::string("expected [[") + section + "]] tables");
        for (size_t i = 0; i < entries->size(); ++i) {
            const toml::table& table = *entries->get(i)->as_table();
            const std::string prefix = std::string(section) + "[" + std::to_string(i + 1) + "]";
            m_lines[prefix] = static_cast<int>(table.source().begin.line);
            CheckKeys(table, prefix, keys);
            body(table, prefix);
        }
    }

    const toml::node* Get(const toml::table& table, const std::string& prefix, const char* key,
                          bool required) const {
        const toml::node* node = table.get(key);
        if (!node && required) Fail(KeyOf(prefix, key), "the key is missing");
        return node;
    }

    std::string Text(const toml::table& table, const std::string& prefix, const char* key,
                     bool required) const {
        const toml::node* node = Get(table, prefix, key, required);
        if (!node) return "";
        if (!node->is_string()) Fail(KeyOf(prefix, key), "expected a text in quotes");
        return std::string(*node->value<std::string_view>());
    }

    long long Integer(const toml::table& table, const std::string& prefix, const char* key,
                      long long low, long long high, long long otherwise) const {
        const toml::node* node = Get(table, prefix, key, false);
        if (!node) return otherwise;
        if (!node->is_integer() || *node->value<long long>() < low ||
            *node->value<long long>() > high)
            Fail(KeyOf(prefix, key), "expected a whole number from " + std::to_string(low) +
                                         " to " + std::to_string(high));
        return *node->value<long long>();
    }

    std::vector<std::string> Levels(const toml::table& table, const std::string& prefix) const {
        const toml::node* node = Get(table, prefix, "levels", true);
        std::vector<std::string> levels;
        const toml::array* values = node->as_array();
        if (!values) Fail(KeyOf(prefix, "levels"), "expected a list such as [150, 170, 190]");
        for (const toml::node& value : *values) {
            if (value.is_integer())
                levels.push_back(std::to_string(*value.value<long long>()));
            else if (value.is_floating_point())  // -0.0 kept apart, to be refused beside 0
                levels.push_back(*value.value<double>() == 0.0 &&
                                         std::signbit(*value.value<double>())
                                     ? "-0"
                                     : NumberText(*value.value<double>()));
            else if (value.is_string())
                levels.push_back(std::string(*value.value<std::string_view>()));
            else
                Fail(KeyOf(prefix, "levels"), "each level is a number or a text in quotes");
        }
        return levels;
    }

    Factor ReadFactor(const toml::table& table, const std::string& prefix) const {
        Factor factor;
        factor.name = Text(table, prefix, "name", true);
        factor.unit = Text(table, prefix, "unit", false);
        factor.levels = LevelTexts(Levels(table, prefix));
        factor.column = static_cast<int>(Integer(table, prefix, "column", 1, 1000, 0)) - 1;
        return factor;
    }

    double OptionalNumber(const toml::table& table, const std::string& prefix, const char* key,
                          double otherwise) const {
        const toml::node* node = Get(table, prefix, key, false);
        if (!node) return otherwise;
        if (!node->is_number()) Fail(KeyOf(prefix, key), "expected a number");
        const double value = *node->value<double>();
        // nan or inf is no bound, weight or importance: refused as the command line refuses it.
        if (!std::isfinite(value))
            Fail(KeyOf(prefix, key),
                 std::string("expected a finite number, not ") + (std::isnan(value) ? "nan"
                                                                  : value > 0       ? "inf"
                                                                                    : "-inf"));
        return value;
    }

    ExperimentResponse ReadResponse(const toml::table& table, const std::string& prefix) const {
        ExperimentResponse response;
        response.name = Text(table, prefix, "name", true);
        response.unit = Text(table, prefix, "unit", false);
        const std::string sn = Text(table, prefix, "sn", true);
        DynamicKind dynamic = DynamicKind::ZeroPoint;
        if (DynamicKindFromName(sn, dynamic)) {
            response.dynamic = dynamic;
            response.sn = kDynamicEngineKind;
        } else if (!SnKindFromName(sn, response.sn)) {
            Fail(KeyOf(prefix, "sn"), "unknown S/N kind '" + sn + "' (one of " + SnKindList() +
                                          ", " + DynamicKindList() + ")");
        }
        if (const toml::node* target = Get(table, prefix, "target", false)) {
            if (!IsNominal(response.sn) && !response.dynamic)
                Fail(KeyOf(prefix, "target"), "only the nominal S/N kinds have a target");
            if (!target->is_number()) Fail(KeyOf(prefix, "target"), "expected a number");
            response.target = *target->value<double>();
        }
        response.low = OptionalNumber(table, prefix, "low", response.low);
        response.high = OptionalNumber(table, prefix, "high", response.high);
        response.weight = OptionalNumber(table, prefix, "weight", response.weight);
        response.importance = OptionalNumber(table, prefix, "importance", response.importance);
        return response;
    }

    // interactions = ["Temperature*Pressure"]: pairs of the factors' names, blanks trimmed.
    void ReadInteractions(const toml::table& root, Experiment& experiment) const {
        const toml::node* node = Get(root, "", "interactions", false);
        if (!node) return;
        if (!node->is_array()) Fail("interactions", "expected a list such as [\"A*B\"]");
        for (const toml::node& entry : *node->as_array()) {
            const int line = static_cast<int>(entry.source().begin.line);
            if (!entry.is_string())
                FailAt(line, "interactions", "each interaction is a text in quotes, \"A*B\"");
            const std::string text(*entry.value<std::string_view>());
            try {
                experiment.interactions.push_back(InteractionOfNames(experiment, text));
                CheckInteractionPairs(experiment);
            } catch (const ExperimentFault& fault) {
                FailAt(line, "interactions", fault.what());
            } catch (const ExperimentError& error) {
                FailAt(line, "interactions", "'" + text + "': " + error.what());
            }
        }
    }

    // The array, repetitions and run order; what the file leaves out is chosen as the design
    // step would choose it.
    // [signal]: one table, the signal factor of the dynamic responses.
    void ReadSignal(const toml::table& root, Experiment& experiment) {
        const toml::node* node = root.get("signal");
        if (!node) return;
        const toml::table* table = node->as_table();
        if (!table) Fail("signal", "expected a [signal] table");
        m_lines["signal"] = static_cast<int>(table->source().begin.line);
        CheckKeys(*table, "signal", kSignalKeys);
        Factor signal;
        signal.name = Text(*table, "signal", "name", true);
        signal.unit = Text(*table, "signal", "unit", false);
        signal.levels = LevelTexts(Levels(*table, "signal"));
        experiment.signal = signal;
    }

    void ReadOuter(const toml::table& root, Experiment& experiment) const {
        const std::string outer = Text(root, "", "outer", false);
        if (outer.empty()) return;
        try {
            experiment.outer = ParseOuterArray(outer);
        } catch (const ExperimentError& error) {
            Fail("outer", error.what());
        }
    }

    void ReadDesign(const toml::table& root, Experiment& experiment) const {
        const std::string array = Text(root, "", "array", false);
        experiment.array = array.empty() ? ArrayFor(experiment) : ArrayOfName(array);
        if (experiment.array == Catalogue::OA_UNDEFINED)
            Fail(
                "array",
                array.empty()
                    ? "no array of the catalogue holds " + LevelCountText(LevelCounts(experiment)) +
                          (experiment.interactions.empty() ? "" : " with the declared interactions")
                    : "unknown array '" + array + "'");
        if (const toml::node* randomized = Get(root, "", "randomized", false)) {
            if (!randomized->is_boolean()) Fail("randomized", "expected true or false");
            experiment.randomized = *randomized->value<bool>();
        }
        experiment.seed = static_cast<std::uint32_t>(Integer(root, "", "seed", 0, 0xFFFFFFFF, 0));
        const std::string sheet = Text(root, "", "sheet", false);
        if (!sheet.empty() && !SheetFormatOfName(sheet, experiment.sheet))
            Fail("sheet", "expected \"csv\" or \"xlsx\", not '" + sheet + "'");
        if (const toml::node* order = Get(root, "", "run_order", false)) {
            if (!order->is_array()) Fail("run_order", "expected a list of run numbers");
            for (const toml::node& run : *order->as_array()) {
                if (!run.is_integer() || *run.value<long long>() < 1 ||
                    *run.value<long long>() > 1000)
                    Fail("run_order", "each entry is a run number");
                experiment.runOrder.push_back(static_cast<int>(*run.value<long long>()));
            }
        } else {
            experiment.runOrder = RunOrder(Catalogue::GetNoRun(experiment.array),
                                           experiment.randomized, experiment.seed);
        }
        PlaceUnplacedFactors(experiment);
    }

    void PlaceUnplacedFactors(Experiment& experiment) const {
        CheckFaultsAtTheirLines([&] { PlaceFactors(experiment); });
    }

    const std::string& m_text;
    std::string m_path;
    std::map<std::string, int> m_lines;
};

// toml++ writes each value; the layout and the comments are the file's own.
template <typename Value>
std::string Toml(const Value& value) {
    std::ostringstream text;
    text << toml::value<Value>(value);
    return text.str();
}

std::string TomlLevels(const std::vector<std::string>& levels, bool numeric) {
    toml::array array;
    for (const std::string& level : levels) {
        double value = 0.0;
        const bool number = numeric && ParseNumber(level, value);
        if (number && level.find_first_of(".eE") == std::string::npos && std::fabs(value) < 1e15)
            array.push_back(static_cast<long long>(value));
        else if (numeric)
            array.push_back(value);
        else
            array.push_back(level);
    }
    std::ostringstream text;
    text << array;
    return text.str();
}

std::string TomlRunOrder(const std::vector<int>& order) {
    toml::array array;
    for (int run : order)
        array.push_back(run);
    std::ostringstream text;
    text << array;
    return text.str();
}

// The desirability keys that differ from their defaults.
std::string DesirabilityText(const ExperimentResponse& response) {
    std::ostringstream text;
    if (std::isfinite(response.low)) text << "low = " << Toml(response.low) << "\n";
    if (std::isfinite(response.high)) text << "high = " << Toml(response.high) << "\n";
    if (response.weight != 1.0) text << "weight = " << Toml(response.weight) << "\n";
    if (response.importance != 1.0) text << "importance = " << Toml(response.importance) << "\n";
    return text.str();
}

bool HasDesirability(const Experiment& experiment) {
    for (const ExperimentResponse& response : experiment.responses) {
        if (!DesirabilityText(response).empty()) return true;
    }
    return false;
}

}  // namespace

Experiment ReadExperimentFile(const std::string& path) {
    return ReadExperimentText(ReadWholeFile(path, "experiment file"), path);
}

Experiment ReadExperimentText(const std::string& text, const std::string& name) {
    return ExperimentReader(text, name).Read();
}

std::string ExperimentFileText(const Experiment& experiment) {
    std::ostringstream text;
    text << "# Taguchi experiment for qvrfcdoe. Edit names, units and levels freely; a changed\n"
            "# array, column or run order changes the run sheet, so design it again after that.\n"
            "#   array: the orthogonal array; repetitions: observations per run and noise\n"
            "#   condition; run_order: the runs in the order they are carried out (randomized\n"
            "#   from seed when randomized = true).\n\n";
    text << "array = " << Toml(ArrayName(experiment.array)) << "\n";
    text << "repetitions = " << experiment.repetitions << "\n";
    text << "randomized = " << (experiment.randomized ? "true" : "false") << "\n";
    if (experiment.randomized || experiment.seed != 0) text << "seed = " << experiment.seed << "\n";
    text << "run_order = " << TomlRunOrder(experiment.runOrder) << "\n";
    if (experiment.sheet != SheetFormat::Csv)
        text << "# The run sheet design writes: \"csv\" or \"xlsx\" (a workbook).\nsheet = "
             << Toml(std::string(SheetFormatName(experiment.sheet))) << "\n";
    if (experiment.outer.kind != OuterArray::Kind::Smallest)
        text << "# The noise conditions: \"full\" (every combination) or an orthogonal array.\n"
             << "outer = " << Toml(OuterArrayName(experiment.outer)) << "\n";
    if (!experiment.interactions.empty()) {
        toml::array names;
        for (const FactorPair& pair : experiment.interactions)
            names.push_back(InteractionName(experiment, pair));
        text << "# Declared interactions of two factors, kept on columns of their own.\n"
             << "interactions = " << names << "\n";
    }
    text << "\n# Control factors: levels are numbers (real settings) or texts; column counts from "
            "1.\n";
    for (const Factor& factor : experiment.factors) {
        text << "\n[[factor]]\nname = " << Toml(factor.name) << "\nunit = " << Toml(factor.unit)
             << "\nlevels = " << TomlLevels(factor.levels, factor.IsNumeric())
             << "\ncolumn = " << factor.column + 1 << "\n";
    }
    text << "\n# Responses: sn is one of " << SnKindList() << ";\n# nominal kinds have a target.\n";
    if (experiment.signal)
        text << "# Dynamic responses (" << DynamicKindList()
             << ") follow the signal;\n# their target is the slope to reach.\n";
    if (HasDesirability(experiment))
        text << "# low, high, weight, importance: the desirability when responses are combined.\n";
    for (const ExperimentResponse& response : experiment.responses) {
        text << "\n[[response]]\nname = " << Toml(response.name)
             << "\nunit = " << Toml(response.unit) << "\nsn = " << Toml(response.KindName())
             << "\n";
        if ((IsNominal(response.sn) && !response.dynamic) ||
            (response.dynamic && std::isfinite(response.target)))
            text << "target = " << Toml(response.target) << "\n";
        text << DesirabilityText(response);
    }
    if (!experiment.noise.empty())
        text << "\n# Noise factors: every run is observed under each noise condition.\n";
    for (const NoiseFactor& noise : experiment.noise)
        text << "\n[[noise]]\nname = " << Toml(noise.name)
             << "\nlevels = " << TomlLevels(noise.levels, false) << "\n";
    if (const std::optional<Factor>& signal = experiment.signal)
        text << "\n# The signal factor: every run is observed at each of its levels.\n[signal]\n"
             << "name = " << Toml(signal->name) << "\nunit = " << Toml(signal->unit)
             << "\nlevels = " << TomlLevels(signal->levels, true) << "\n";
    return text.str();
}

std::string VerifiedExperimentFileText(const Experiment& experiment, const std::string& path) {
    CheckExperiment(experiment);
    const std::string text = ExperimentFileText(experiment);
    std::string difference;
    try {
        difference = ExperimentDifference(experiment, ReadExperimentText(text, path));
    } catch (const ExperimentError& error) {
        throw Error::Placed(
            "cannot write '" + path + "': its text would not read back (" + error.what() + ")",
            path, 0, "");
    }
    if (!difference.empty())
        throw Error::Placed(
            "cannot write '" + path + "': " + difference + " would read back otherwise than it is",
            path, 0, "");
    return text;
}

void WriteExperimentFile(const Experiment& experiment, const std::string& path) {
    WriteWholeFile(path, VerifiedExperimentFileText(experiment, path));
}

}  // namespace qvrfc
