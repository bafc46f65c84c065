// Predictions at settings between the tested levels of numeric factors: the factor's effect is
// the polynomial through its level means, evaluated at the setting.
#include <algorithm>
#include <cmath>

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
            PredictBetween(analysis, result.meanAnova, at)};
}

}  // namespace qvrfc
