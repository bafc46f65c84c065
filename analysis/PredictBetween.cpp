// Predictions at settings between the tested levels of numeric factors: the factor's effect is
// the polynomial through its level means, evaluated at the setting.
#include <algorithm>
#include <cmath>

#include "analysis/AnalysisParts.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCTextFormat.h"

namespace qvrfc {
namespace {

// The polynomial of degree n - 1 through (x[i], y[i]), at value: the least-squares fit of that
// degree (R's lm(y ~ poly(x, n - 1))) passes through every point, so it is this one.
double PolynomialThrough(const std::vector<double>& x, const std::vector<double>& y, double value) {
    double sum = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double basis = 1.0;
        for (size_t j = 0; j < x.size(); ++j) {
            if (j != i) basis *= (value - x[j]) / (x[i] - x[j]);
        }
        sum += basis * y[i];
    }
    return sum;
}

// A number of a numeric factor between its tested values; a data file's factors have level
// numbers, not settings, and nothing lies between them.
SettingBetween Between(const Analysis& analysis, const std::string& item, int factor,
                       const std::string& text) {
    const Factor& named = analysis.experiment.factors[factor];
    double value = 0.0;
    if (analysis.source != Source::RunSheet || !ParseNumber(text, value)) return {-1, 0.0};
    if (!named.IsNumeric())
        throw OptionError("--at",
                          FormatText("--at '%s': factor '%s' has no level '%s', and its levels are "
                                     "texts: no setting lies between them",
                                     item.c_str(), named.name.c_str(), text.c_str()));
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (size_t l = 0; l < named.levels.size(); ++l) {
        low = std::min(low, named.LevelValue(static_cast<int>(l)));
        high = std::max(high, named.LevelValue(static_cast<int>(l)));
    }
    if (value < low || value > high)
        throw OptionError(
            "--at", FormatText("--at '%s': %s lies outside the tested range %s to %s of '%s'; a "
                               "prediction there would extrapolate",
                               item.c_str(), text.c_str(), FormatText("%g", low).c_str(),
                               FormatText("%g", high).c_str(), named.name.c_str()));
    return {factor, value};
}

std::vector<std::string> Items(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

}  // namespace

SettingsAt ParseSettingsAt(const Analysis& analysis, const std::string& text) {
    SettingsAt at;
    std::vector<int> seen;
    for (const std::string& item : Items(text)) {
        const size_t equals = item.find('=');
        const int factor = equals == std::string::npos
                               ? -1
                               : FactorOfText(analysis.experiment, item.substr(0, equals));
        try {
            at.levels.push_back(ParseLevels(analysis, item)[0]);
        } catch (const Error&) {
            const SettingBetween between =
                factor < 0 || MainEffectTermOf(analysis.model.terms, factor) < 0
                    ? SettingBetween{-1, 0.0}
                    : Between(analysis, item, factor, TrimBlanks(item.substr(equals + 1)));
            if (between.factor < 0) throw;
            at.between.push_back(between);
        }
        if (std::find(seen.begin(), seen.end(), factor) != seen.end())
            throw UsageError("--at",
                             FormatText("--at '%s': factor '%s' is given twice", text.c_str(),
                                        analysis.experiment.factors[factor].name.c_str()));
        seen.push_back(factor);
    }
    return at;
}

Prediction PredictBetween(const Analysis& analysis, const ResponseAnalysis& a,
                          const SettingsAt& at) {
    const VerdictModel& verdict = analysis.model;
    std::vector<FactorLevel> levels = at.levels;
    for (const SettingBetween& between : at.between)
        levels.push_back({between.factor, 0});
    Prediction prediction = PredictAt(verdict, a, levels);
    for (const SettingBetween& between : at.between) {
        if (std::find(prediction.factors.begin(), prediction.factors.end(), between.factor) ==
            prediction.factors.end())
            continue;
        const Factor& named = analysis.experiment.factors[between.factor];
        for (int t : prediction.interactions) {
            const std::vector<int>& factors = verdict.terms[t].factors;
            if (std::find(factors.begin(), factors.end(), between.factor) != factors.end())
                throw OptionError("--at",
                                  FormatText("--at: '%s' enters through the interaction %s, whose "
                                             "cells exist only at the tested levels",
                                             named.name.c_str(), verdict.terms[t].name.c_str()));
        }
        const std::vector<double>& means =
            a.levelMeans[MainEffectTermOf(verdict.terms, between.factor)];
        std::vector<double> values;
        for (size_t l = 0; l < means.size(); ++l)
            values.push_back(named.LevelValue(static_cast<int>(l)));
        const double shift = PolynomialThrough(values, means, between.value) - means[0];
        prediction.value += shift;
        prediction.low += shift;
        prediction.high += shift;
    }
    if (!at.between.empty())
        prediction.warning =
            prediction.value < a.minValue || prediction.value > a.maxValue
                ? FormatText("beyond the observed range %g to %g", a.minValue, a.maxValue)
                : "";
    return prediction;
}

ResponsePrediction PredictResponse(const Analysis& analysis, int response, const SettingsAt& at) {
    const ResponseResult& result = analysis.responses.at(static_cast<size_t>(response));
    return {response, at, PredictBetween(analysis, result.snAnova, at),
            PredictBetween(analysis, result.MeanModel(), at)};
}

namespace {

// The setting of a numeric factor between its tested values at which the slope predicted with
// the other factors at `levels` equals the target (the root nearest the tested value of the
// chosen level); NaN when the slope does not reach the target in that range, or the factor
// enters through an interaction.
double SettingForTarget(const Analysis& analysis, const ResponseResult& response,
                        const std::vector<FactorLevel>& levels, int factor, int chosen) {
    const Factor& named = analysis.experiment.factors[factor];
    SettingsAt at;
    for (const FactorLevel& level : levels) {
        if (level.factor != factor) at.levels.push_back(level);
    }
    at.between.push_back({factor, 0.0});
    const auto gap = [&](double value) {
        at.between[0].value = value;
        return PredictBetween(analysis, response.MeanModel(), at).value - response.setting.target;
    };
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (size_t l = 0; l < named.levels.size(); ++l) {
        low = std::min(low, named.LevelValue(static_cast<int>(l)));
        high = std::max(high, named.LevelValue(static_cast<int>(l)));
    }
    const double from = named.LevelValue(chosen);
    double best = std::nan("");
    constexpr int kSteps = 400;
    try {
        double a = low, ga = gap(low);
        for (int i = 1; i <= kSteps; ++i) {
            double b = low + (high - low) * i / kSteps, gb = gap(b);
            if (ga == 0.0 || (ga < 0.0) != (gb < 0.0)) {
                double x = a, y = b, gx = ga;
                for (int k = 0; k < 100 && gx != 0.0; ++k) {
                    const double mid = 0.5 * (x + y), gm = gap(mid);
                    if ((gm < 0.0) == (gx < 0.0)) {
                        x = mid;
                        gx = gm;
                    } else {
                        y = mid;
                    }
                }
                if (std::isnan(best) || std::fabs(x - from) < std::fabs(best - from)) best = x;
            }
            a = b;
            ga = gb;
        }
    } catch (const Error&) {
        return std::nan("");
    }
    return best;
}

int NearestLevel(const Factor& factor, double value) {
    int nearest = 0;
    for (int l = 1; l < static_cast<int>(factor.levels.size()); ++l) {
        if (std::fabs(factor.LevelValue(l) - value) < std::fabs(factor.LevelValue(nearest) - value))
            nearest = l;
    }
    return nearest;
}

void SetSlopeBetween(const Analysis& analysis, ResponseResult& response) {
    Optimum& optimum = response.optimum;
    const double target = response.setting.target;
    if (optimum.mean.value == target) return;
    for (int factor : optimum.adjustmentFactors) {
        const Factor& named = analysis.experiment.factors[factor];
        if (!named.IsNumeric()) continue;
        auto slot = std::find_if(optimum.levels.begin(), optimum.levels.end(),
                                 [&](const FactorLevel& at) { return at.factor == factor; });
        if (slot == optimum.levels.end()) continue;
        const double value =
            SettingForTarget(analysis, response, optimum.levels, factor, slot->level);
        if (std::isnan(value)) continue;
        SettingsAt at;
        for (const FactorLevel& level : optimum.levels) {
            if (level.factor != factor) at.levels.push_back(level);
        }
        at.between.push_back({factor, value});
        optimum.mean = PredictBetween(analysis, response.MeanModel(), at);
        optimum.betweenFactor = factor;
        optimum.betweenValue = value;
        slot->level = NearestLevel(named, value);
        if (factor < static_cast<int>(response.mean.rows.size()))
            response.mean.rows[factor].best = slot->level;
        return;
    }
}

}  // namespace

void InterpolateAdjusters(Analysis& analysis) {
    if (analysis.source != Source::RunSheet) return;
    for (ResponseResult& response : analysis.responses) {
        if (response.setting.dynamic && response.setting.HasTarget())
            SetSlopeBetween(analysis, response);
    }
}

}  // namespace qvrfc
