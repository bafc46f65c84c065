#include "qvrfc/inference/NoiseModel.h"

#include <algorithm>
#include <cmath>

#include "qvrfc/common/QVRFCConstants.h"
#include "qvrfc/common/QVRFCError.h"

namespace qvrfc {
namespace {

[[noreturn]] void Refuse(const std::string& cause) {
    throw Error(cause);
}

std::string Number(size_t n) {
    return std::to_string(n);
}

// Control terms that are main effects of distinct factors, noise factors of two levels or
// more, and no name given twice.
void CheckFactors(const std::vector<ModelTerm>& controls, const NoiseLayout& noise) {
    if (noise.names.empty()) Refuse("the noise model needs at least one noise factor");
    if (noise.levelCounts.size() != noise.names.size())
        Refuse("the noise factors' names and level counts differ in number (" +
               Number(noise.names.size()) + " and " + Number(noise.levelCounts.size()) + ")");
    std::vector<std::string> names;
    std::vector<int> factors;
    for (const ModelTerm& term : controls) {
        if (term.factors.size() != 1 || term.columns.size() != 1)
            Refuse("term " + term.name + " is not the main effect of one factor on one column");
        if (std::count(factors.begin(), factors.end(), term.factors[0]) != 0)
            Refuse("term " + term.name + " is of a factor that another term has");
        factors.push_back(term.factors[0]);
        names.push_back(term.name);
    }
    for (size_t n = 0; n < noise.names.size(); ++n) {
        if (noise.names[n].empty()) Refuse("noise factor " + Number(n + 1) + " has no name");
        if (noise.levelCounts[n] < 2)
            Refuse("noise factor " + noise.names[n] + " has fewer than two levels");
        names.push_back(noise.names[n]);
    }
    std::sort(names.begin(), names.end());
    const auto twice = std::adjacent_find(names.begin(), names.end());
    if (twice != names.end()) Refuse("two factors of the noise model are named " + *twice);
}

void CheckConditions(const NoiseLayout& noise) {
    if (noise.conditions.empty()) Refuse("the noise factors have no condition");
    for (size_t c = 0; c < noise.conditions.size(); ++c) {
        const std::vector<int>& condition = noise.conditions[c];
        if (condition.size() != noise.names.size())
            Refuse("noise condition " + Number(c + 1) + " gives " + Number(condition.size()) +
                   " levels, not one for each noise factor (" + Number(noise.names.size()) + ")");
        for (size_t n = 0; n < condition.size(); ++n) {
            if (condition[n] < 0 || condition[n] >= noise.levelCounts[n])
                Refuse("noise condition " + Number(c + 1) + " sets " + noise.names[n] +
                       " to a level it does not have");
        }
    }
}

// The repetitions per noise condition: the same in every run, and every observation there.
int Repetitions(const DesignLayout& layout, const NoiseLayout& noise,
                const RunValues& observations) {
    if (observations.size() != layout.levels.size())
        Refuse("the observations are of " + Number(observations.size()) +
               " runs where the design has " + Number(layout.levels.size()));
    const size_t perRun = observations.empty() ? 0 : observations[0].size();
    for (size_t r = 0; r < observations.size(); ++r) {
        if (observations[r].size() != perRun)
            Refuse("run " + Number(r + 1) + " has " + Number(observations[r].size()) +
                   " observations where run 1 has " + Number(perRun));
        for (size_t k = 0; k < perRun; ++k) {
            const double y = observations[r][k];
            if (std::isinf(y))
                Refuse("observation " + Number(k + 1) + " of run " + Number(r + 1) +
                       " is not a finite number");
            if (std::isnan(y) || IsMissing(y))
                Refuse("observation " + Number(k + 1) + " of run " + Number(r + 1) +
                       " is missing, and the noise model needs every observation");
        }
    }
    const size_t conditions = noise.conditions.size();
    if (!observations.empty() && (perRun == 0 || perRun % conditions != 0))
        Refuse("each run has " + Number(perRun) +
               " observations, which is not a whole number of repetitions of the " +
               Number(conditions) + " noise conditions");
    return static_cast<int>(perRun / conditions);
}

// Every level of the columns present in the rows, and each pair of columns' level
// combinations in proportion to their levels' counts: the columns are orthogonal.
void CheckOrthogonal(const std::vector<std::vector<int>>& rows, const std::vector<int>& columns,
                     const std::vector<int>& levelCounts, const std::vector<std::string>& names,
                     const std::string& kind, const std::string& where) {
    const long long n = static_cast<long long>(rows.size());
    std::vector<std::vector<long long>> counts;
    for (size_t i = 0; i < columns.size(); ++i) {
        counts.emplace_back(levelCounts[i], 0);
        for (const std::vector<int>& row : rows)
            ++counts[i][row[columns[i]]];
        for (int l = 0; l < levelCounts[i]; ++l) {
            if (counts[i][l] == 0)
                Refuse(kind + " " + names[i] + " is at level " + Number(l + 1) + " in no " + where);
        }
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        for (size_t j = i + 1; j < columns.size(); ++j) {
            std::vector<long long> pairs(levelCounts[i] * levelCounts[j], 0);
            for (const std::vector<int>& row : rows)
                ++pairs[row[columns[i]] * levelCounts[j] + row[columns[j]]];
            for (int a = 0; a < levelCounts[i]; ++a) {
                for (int b = 0; b < levelCounts[j]; ++b) {
                    if (pairs[a * levelCounts[j] + b] * n != counts[i][a] * counts[j][b])
                        Refuse(kind + "s " + names[i] + " and " + names[j] +
                               " are not crossed evenly in the " + where +
                               "s, so their effects are not orthogonal");
                }
            }
        }
    }
}

void CheckNoiseOrthogonal(const NoiseLayout& noise) {
    std::vector<int> columns;
    for (size_t n = 0; n < noise.names.size(); ++n)
        columns.push_back(static_cast<int>(n));
    CheckOrthogonal(noise.conditions, columns, noise.levelCounts, noise.names, "noise factor",
                    "noise condition");
}

// Called once the analysis has found every control column and its levels in the layout.
void CheckControlsOrthogonal(const DesignLayout& layout, const std::vector<ModelTerm>& controls) {
    std::vector<int> columns, levelCounts;
    std::vector<std::string> names;
    for (const ModelTerm& term : controls) {
        columns.push_back(term.columns[0]);
        levelCounts.push_back(layout.levelCounts[term.columns[0]]);
        names.push_back(term.name);
    }
    CheckOrthogonal(layout.levels, columns, levelCounts, names, "factor", "run");
}

// The noise effect at each level of the control factor, and the level of the smallest.
Damper DamperOf(const NoiseTable& table, const AnovaRow& row, double adjusted) {
    const double p = row.p;
    Damper damper;
    damper.pAdjusted = adjusted;
    damper.contribution = row.contribution;
    damper.term = table.term;
    damper.name = table.name;
    damper.control = table.control;
    damper.noise = table.noise;
    damper.p = p;
    for (const std::vector<double>& means : table.mean) {
        damper.range = means.size() > 2;
        const auto [low, high] = std::minmax_element(means.begin(), means.end());
        damper.effect.push_back(damper.range ? *high - *low : means.back() - means.front());
        const double size = std::fabs(damper.effect.back());
        if (size < std::fabs(damper.effect[damper.dampingLevel]))
            damper.dampingLevel = static_cast<int>(damper.effect.size()) - 1;
    }
    return damper;
}

}  // namespace

std::vector<double> HolmAdjusted(const std::vector<double>& p) {
    std::vector<size_t> order;
    for (size_t i = 0; i < p.size(); ++i)
        if (!std::isnan(p[i])) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(p.size(), kNotANumber);
    double floor = 0.0;
    for (size_t i = 0; i < order.size(); ++i) {
        floor = std::max(floor, std::min(1.0, double(order.size() - i) * p[order[i]]));
        adjusted[order[i]] = floor;
    }
    return adjusted;
}

NoiseModel AnalyzeNoise(const DesignLayout& layout, const std::vector<ModelTerm>& controls,
                        const NoiseLayout& noise, const RunValues& observations, double alpha,
                        const PoolingChoice& pooling) {
    if (!(alpha > 0.0 && alpha < 1.0)) Refuse("alpha must lie between 0 and 1");
    CheckFactors(controls, noise);
    CheckConditions(noise);
    CheckNoiseOrthogonal(noise);
    const int repetitions = Repetitions(layout, noise, observations);

    // One run of the analysis for each run and noise condition: the array's columns, then a
    // column for each noise factor; its values are the repetitions under that condition.
    const size_t width = layout.levelCounts.size();
    for (const ModelTerm& term : controls) {
        if (term.columns[0] < 0 || term.columns[0] >= int(width))
            Refuse("term " + term.name + " names a column the array does not have");
    }
    DesignLayout cells;
    cells.levelCounts = layout.levelCounts;
    cells.levelCounts.insert(cells.levelCounts.end(), noise.levelCounts.begin(),
                             noise.levelCounts.end());
    RunValues values;
    for (size_t r = 0; r < layout.levels.size(); ++r) {
        if (layout.levels[r].size() != width)
            Refuse("run " + Number(r + 1) + " of the design has " +
                   Number(layout.levels[r].size()) + " columns where the array has " +
                   Number(width));
        for (size_t c = 0; c < noise.conditions.size(); ++c) {
            cells.levels.push_back(layout.levels[r]);
            cells.levels.back().insert(cells.levels.back().end(), noise.conditions[c].begin(),
                                       noise.conditions[c].end());
            const auto first = observations[r].begin() + c * repetitions;
            values.emplace_back(first, first + repetitions);
        }
    }

    // Noise factors take factor indexes after the control factors'.
    int firstNoise = 0;
    for (const ModelTerm& term : controls)
        firstNoise = std::max(firstNoise, term.factors[0] + 1);
    const size_t noiseCount = noise.names.size();
    std::vector<ModelTerm> terms = controls;
    for (size_t n = 0; n < noiseCount; ++n)
        terms.push_back(
            {noise.names[n], {firstNoise + int(n)}, {int(width + n)}, noise.levelCounts[n] - 1});
    for (const ModelTerm& control : controls) {
        for (size_t n = 0; n < noiseCount; ++n)
            terms.push_back({control.name + "*" + noise.names[n],
                             {control.factors[0], firstNoise + int(n)},
                             {},
                             control.dof * (noise.levelCounts[n] - 1)});
    }

    NoiseModel model;
    model.alpha = alpha;
    model.anova = AnalyzeResponse(cells, terms, values, pooling);
    CheckControlsOrthogonal(layout, controls);

    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t n = 0; n < noiseCount; ++n) {
            const size_t term = controls.size() + noiseCount + i * noiseCount + n;
            model.tables.push_back(
                {int(term), terms[term].name, int(i), int(n), model.anova.cellMeans[term]});
        }
    }
    std::vector<double> p;
    for (const NoiseTable& table : model.tables)
        p.push_back(model.anova.table.Term(table.term).p);
    const std::vector<double> adjusted = HolmAdjusted(p);
    for (size_t t = 0; t < model.tables.size(); ++t) {
        if (std::isnan(p[t])) continue;
        ++model.tests;
        if (!(p[t] >= model.smallestP)) {
            model.smallestP = p[t];
            model.smallestAdjusted = adjusted[t];
        }
        if (adjusted[t] < alpha)
            model.dampers.push_back(DamperOf(
                model.tables[t], model.anova.table.Term(model.tables[t].term), adjusted[t]));
    }
    std::stable_sort(model.dampers.begin(), model.dampers.end(),
                     [](const Damper& a, const Damper& b) { return a.p < b.p; });
    return model;
}

ResponseAnalysis ControlAnalysis(const NoiseModel& noise, const std::vector<ModelTerm>& terms) {
    const ResponseAnalysis& model = noise.anova;
    ResponseAnalysis controls = model;
    controls.table.rows.clear();
    controls.levelMeans.assign(terms.size(), {});
    controls.cellMeans.assign(terms.size(), {});
    for (size_t t = 0; t < terms.size(); ++t) {
        AnovaRow row;
        row.kind = AnovaRow::Kind::PooledTerm;
        row.name = terms[t].name;
        for (size_t m = 0; m < model.table.TermCount(); ++m) {
            if (terms[t].factors.size() != 1 || model.table.Term(m).name != terms[t].name) continue;
            row = model.table.Term(m);
            controls.levelMeans[t] = model.levelMeans[m];
        }
        controls.table.rows.push_back(row);
    }
    const auto& rows = model.table.rows;
    controls.table.rows.insert(controls.table.rows.end(), rows.end() - 5, rows.end());
    return controls;
}

}  // namespace qvrfc

namespace qvrfc {
namespace {

bool TermPooled(const NoiseModel& model, int term) {
    return model.anova.table.Term(static_cast<size_t>(term)).Pooled();
}

// The effect of each noise factor's levels (level mean less the grand mean), zero when its term
// is pooled.
std::vector<std::vector<double>> NoiseEffects(const NoiseModel& model, const NoiseLayout& noise) {
    std::vector<std::vector<double>> effects;
    const AnovaTable& table = model.anova.table;
    for (size_t j = 0; j < noise.names.size(); ++j) {
        effects.emplace_back(static_cast<size_t>(noise.levelCounts[j]), 0.0);
        for (size_t t = 0; t < table.TermCount(); ++t) {
            if (table.Term(t).name != noise.names[j] || table.Term(t).Pooled()) continue;
            for (size_t l = 0; l < effects.back().size(); ++l)
                effects.back()[l] = model.anova.levelMeans[t][l] - model.anova.grandMean;
        }
    }
    return effects;
}

// The interaction's effect beyond the main effects at a control level and a noise level.
double CellEffect(const NoiseTable& table, int level, int noiseLevel) {
    double row = 0.0, column = 0.0, all = 0.0;
    const size_t levels = table.mean.size(), noiseLevels = table.mean[0].size();
    for (size_t n = 0; n < noiseLevels; ++n)
        row += table.mean[level][n] / noiseLevels;
    for (size_t l = 0; l < levels; ++l) {
        column += table.mean[l][noiseLevel] / levels;
        for (size_t n = 0; n < noiseLevels; ++n)
            all += table.mean[l][n] / (levels * noiseLevels);
    }
    return table.mean[level][noiseLevel] - row - column + all;
}

std::vector<int> MovingControls(const NoiseModel& model) {
    std::vector<int> controls;
    for (const NoiseTable& table : model.tables) {
        if (!TermPooled(model, table.term) &&
            std::find(controls.begin(), controls.end(), table.control) == controls.end())
            controls.push_back(table.control);
    }
    return controls;
}

}  // namespace

NoiseRange NoiseRangeAt(const NoiseModel& model, const NoiseLayout& noise,
                        const std::vector<int>& levelOf) {
    const std::vector<std::vector<double>> effects = NoiseEffects(model, noise);
    NoiseRange result;
    result.levels = levelOf;
    for (const std::vector<int>& condition : noise.conditions) {
        double value = 0.0;
        for (size_t j = 0; j < condition.size(); ++j)
            value += effects[j][condition[j]];
        for (const NoiseTable& table : model.tables) {
            if (levelOf.empty() || TermPooled(model, table.term)) continue;
            value += CellEffect(table, levelOf[table.control], condition[table.noise]);
        }
        result.byCondition.push_back(value);
    }
    if (!result.byCondition.empty()) {
        const auto [low, high] =
            std::minmax_element(result.byCondition.begin(), result.byCondition.end());
        result.range = *high - *low;
    }
    return result;
}

Robustness RobustnessOf(const NoiseModel& model, const NoiseLayout& noise,
                        const std::vector<int>& levels, const std::vector<int>& levelCounts) {
    Robustness robustness;
    robustness.optimum = NoiseRangeAt(model, noise, levels);
    robustness.average = NoiseRangeAt(model, noise, {});
    robustness.worst = robustness.optimum;
    const std::vector<int> moving = MovingControls(model);
    double combinations = 1.0;
    for (int control : moving)
        combinations *= levelCounts[control];
    const auto consider = [&](const std::vector<int>& at) {
        NoiseRange range = NoiseRangeAt(model, noise, at);
        if (range.range > robustness.worst.range + 1e-12) robustness.worst = std::move(range);
    };
    if (combinations <= 1e6) {
        robustness.worst.range = -1.0;  // the first combination of the largest range
        std::vector<int> at = levels;
        for (int control : moving)
            at[control] = 0;
        for (double c = 0; c < combinations; ++c) {
            consider(at);
            for (int control : moving) {  // the next combination, the first control fastest
                if (++at[control] < levelCounts[control]) break;
                at[control] = 0;
            }
        }
        return robustness;
    }
    for (bool raised = true; raised;) {
        raised = false;
        for (int control : moving) {
            for (int level = 0; level < levelCounts[control]; ++level) {
                std::vector<int> at = robustness.worst.levels;
                at[control] = level;
                const double before = robustness.worst.range;
                consider(at);
                raised = raised || robustness.worst.range > before;
            }
        }
    }
    return robustness;
}

}  // namespace qvrfc
