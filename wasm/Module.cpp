// The page's WebAssembly module: the layers for a browser, behind a C API of JSON texts. Each
// call takes a request and returns a reply, {"ok": true, ...} or {"ok": false, "error":
// "<the command's message>"}; the reply lives until the next call. The module holds the
// analysis the page shows, so that a prediction or new desirability bounds need no analysis
// again; a refused request keeps it.
//
//   analyze  {"experiment": "<experiment.toml>", "observations": [[[y, ...], ...], ...],
//             "options": {...}}   (observations [response][run][k], null for none)
//            or {"files": {"path": "text", ...}, "data": "path", "experiment_file": "path",
//             "options": {...}}   (the files are put in the module's own file system first)
//            -> {"ok", "results": <results.json>, "verdict": "<the verdict text>"}
//   pool     {"options": {...}}: the same observations analysed again with these options
//   predict  {"at": "FACTOR=LEVEL,..."} -> {"ok", "predictions": [{"response", "dynamic",
//             "sn": <prediction>, "mean": <prediction>, "text"}]}
//   combine  {"desirability": ["RESPONSE=low:30,high:50", ...]} -> as analyze, the combined
//             optimum recomputed with these bounds over the same analysis
// The options are the command's: "sn", "pool", "interactions", "desirability" (lists of the
// texts --sn, --pool, --interaction and --desirability take), "alpha", "combine", "zeta".
#include <emscripten/emscripten.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analysis/Settings.h"
#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/experiment/Design.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/VerdictReport.h"

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// What the page analyses: an experiment and its observations, or files.
struct Source {
    std::optional<qvrfc::Experiment> experiment;
    qvrfc::SheetObservations observations;
    qvrfc::AnalysisInput input;
};

struct Session {
    std::optional<Source> source;
    qvrfc::AnalysisOptions options;
    std::optional<qvrfc::Analysis> analysis;
    std::string reply;
};

Session& TheSession() {
    static Session session;
    return session;
}

std::vector<std::string> Texts(const Json& options, const char* key) {
    std::vector<std::string> texts;
    if (options.contains(key))
        for (const Json& text : options.at(key))
            texts.push_back(text.get<std::string>());
    return texts;
}

qvrfc::AnalysisOptions OptionsOf(const Json& request) {
    qvrfc::AnalysisOptions options;
    const Json& given = request.contains("options") ? request.at("options") : Json::object();
    options.sn = Texts(given, "sn");
    options.pool = Texts(given, "pool");
    options.interactions = Texts(given, "interactions");
    options.desirability = Texts(given, "desirability");
    options.alpha = given.value("alpha", options.alpha);
    options.combine = given.value("combine", options.combine);
    options.zeta = given.value("zeta", options.zeta);
    return options;
}

qvrfc::SheetObservations ObservationsOf(const Json& responses) {
    qvrfc::SheetObservations observations;
    for (const Json& runs : responses) {
        observations.emplace_back();
        for (const Json& values : runs) {
            observations.back().emplace_back();
            for (const Json& y : values)
                observations.back().back().push_back(
                    y.is_number() ? y.get<double>() : std::numeric_limits<double>::quiet_NaN());
        }
    }
    return observations;
}

void PutFile(const std::string& path, const std::string& text) {
    const fs::path file(path);
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

Source SourceOf(const Json& request) {
    Source source;
    if (request.contains("experiment")) {
        source.experiment = qvrfc::ReadExperimentText(request.at("experiment").get<std::string>(),
                                                      qvrfc::kExperimentFile);
        source.observations = ObservationsOf(request.at("observations"));
        return source;
    }
    for (const auto& [path, text] : request.at("files").items())
        PutFile(path, text.get<std::string>());
    source.input.dataFile = request.at("data").get<std::string>();
    source.input.experimentFile = request.value("experiment_file", "");
    source.input.reports = false;  // the engine's own report files: the page shows none
    return source;
}

qvrfc::Analysis AnalysisOf(const Source& source, const qvrfc::AnalysisSettings& settings) {
    if (source.experiment) return qvrfc::Analyze(*source.experiment, source.observations, settings);
    return qvrfc::Analyze(source.input, settings);
}

std::string AnalysisReply(const qvrfc::Analysis& analysis) {
    return "{\"ok\": true, \"results\": " + qvrfc::ResultsJsonText(analysis) +
           ", \"verdict\": " + Json(qvrfc::VerdictText(analysis)).dump() + "}";
}

// Analyses the source with the options; on success both become the session's.
std::string Analyze(Session& session, Source source, const qvrfc::AnalysisOptions& options) {
    qvrfc::Analysis analysis = AnalysisOf(source, qvrfc::SettingsOfOptions(options));
    session.source = std::move(source);
    session.options = options;
    session.analysis = std::move(analysis);
    return AnalysisReply(*session.analysis);
}

const qvrfc::Analysis& Current(const Session& session) {
    if (!session.analysis) throw qvrfc::UsageError("nothing has been analysed yet");
    return *session.analysis;
}

std::string Predict(const Session& session, const Json& request) {
    const qvrfc::Analysis& analysis = Current(session);
    const qvrfc::SettingsAt at =
        qvrfc::ParseSettingsAt(analysis, request.at("at").get<std::string>());
    Json predictions = Json::array();
    for (size_t q = 0; q < analysis.responses.size(); ++q) {
        const qvrfc::ResponsePrediction prediction =
            qvrfc::PredictResponse(analysis, static_cast<int>(q), at);
        predictions.push_back(
            {{"response", analysis.responses[q].name},
             {"dynamic", !analysis.responses[q].dynamic.empty()},
             {"sn", Json::parse(qvrfc::PredictionJsonText(analysis, prediction.sn))},
             {"mean", Json::parse(qvrfc::PredictionJsonText(analysis, prediction.mean))},
             {"text", qvrfc::PredictionText(analysis, prediction)}});
    }
    return Json({{"ok", true}, {"predictions", predictions}}).dump();
}

std::string Combine(Session& session, const Json& request) {
    qvrfc::Analysis analysis = Current(session);
    qvrfc::AnalysisOptions options = session.options;
    options.desirability = Texts(request, "desirability");
    qvrfc::Recombine(analysis, qvrfc::SettingsOfOptions(options));
    session.options = options;
    session.analysis = std::move(analysis);
    return AnalysisReply(*session.analysis);
}

std::string Refusal(const std::string& message) {
    return Json({{"ok", false}, {"error", message}}).dump();
}

// Runs one call: every failure becomes a refusal with its message, the session as it was.
template <typename Call>
const char* Reply(const char* request, Call call) {
    Session& session = TheSession();
    try {
        const Json parsed = Json::parse(request ? request : "{}");
        session.reply = call(session, parsed);
    } catch (const qvrfc::Error& error) {
        session.reply = Refusal(error.what());
    } catch (const Json::exception& error) {
        session.reply = Refusal(std::string("the page's request cannot be read: ") + error.what());
    } catch (const std::bad_alloc&) {
        session.reply = Refusal("out of memory");
    } catch (const std::exception& error) {
        session.reply = Refusal(error.what());
    }
    return session.reply.c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* qvrfc_analyze(const char* request) {
    return Reply(request, [](Session& session, const Json& parsed) {
        return Analyze(session, SourceOf(parsed), OptionsOf(parsed));
    });
}

EMSCRIPTEN_KEEPALIVE const char* qvrfc_pool(const char* request) {
    return Reply(request, [](Session& session, const Json& parsed) {
        if (!session.source) throw qvrfc::UsageError("nothing has been analysed yet");
        return Analyze(session, *session.source, OptionsOf(parsed));
    });
}

EMSCRIPTEN_KEEPALIVE const char* qvrfc_predict(const char* request) {
    return Reply(request,
                 [](Session& session, const Json& parsed) { return Predict(session, parsed); });
}

EMSCRIPTEN_KEEPALIVE const char* qvrfc_combine(const char* request) {
    return Reply(request,
                 [](Session& session, const Json& parsed) { return Combine(session, parsed); });
}

}  // extern "C"
