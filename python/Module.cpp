// _qvrfcdoe: the engine's layers for Python, bound with pybind11. The package qvrfcdoe
// (__init__.py) puts the Python face on it; this file only converts between the layers' types
// and Python's, and turns every C++ failure into qvrfcdoe.Error with the command's message.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "qvrfc/Version.h"
#include "qvrfc/analysis/Analysis.h"
#include "qvrfc/analysis/ConfirmationRun.h"
#include "qvrfc/analysis/ScratchFolder.h"
#include "qvrfc/analysis/Settings.h"
#include "qvrfc/charts/ChartRender.h"
#include "qvrfc/charts/ChartsOfAnalysis.h"
#include "qvrfc/common/QVRFCTextFormat.h"
#include "qvrfc/experiment/ArrayCatalogue.h"
#include "qvrfc/experiment/ArrayChoice.h"
#include "qvrfc/experiment/Design.h"
#include "qvrfc/experiment/ExperimentFile.h"
#include "qvrfc/experiment/RunSheet.h"
#include "qvrfc/results/AnalysisFiles.h"
#include "qvrfc/results/OutputFolder.h"
#include "qvrfc/results/ResultsJson.h"
#include "qvrfc/results/Summary.h"
#include "qvrfc/results/VerdictReport.h"

namespace py = pybind11;
namespace fs = std::filesystem;

namespace {

using Catalogue = CQVRFCDOETaguchiOrthogonalArray;
using IntArray = py::array_t<int>;
using Observations = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The catalogue: one dict an array.
py::list Arrays() {
    py::list arrays;
    for (int t = qvrfc::kFirstTableType; t <= qvrfc::kLastTableType; ++t) {
        const qvrfc::OA_TYPE type = static_cast<qvrfc::OA_TYPE>(t);
        std::vector<int> levels;
        for (int c = 0; c < Catalogue::GetNoFactor(type); ++c)
            levels.push_back(Catalogue::GetNoLevel(type, c));
        py::dict entry;
        entry["type"] = t;
        entry["name"] = qvrfc::ArrayName(type);
        entry["display_name"] = qvrfc::CatalogueName(type);
        entry["runs"] = Catalogue::GetNoRun(type);
        entry["columns"] = Catalogue::GetNoFactor(type);
        entry["levels"] = levels;
        arrays.append(entry);
    }
    return arrays;
}

// A table of levels (from 1), rows × columns, filled by level(row, column).
template <typename Level>
IntArray LevelTable(int rows, int columns, Level level) {
    IntArray table({rows, columns});
    auto cells = table.mutable_unchecked<2>();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            cells(r, c) = level(r, c);
    }
    return table;
}

IntArray ArrayTable(const std::string& name) {
    const qvrfc::OA_TYPE type = qvrfc::ArrayOfText(name);
    return LevelTable(Catalogue::GetNoRun(type), Catalogue::GetNoFactor(type),
                      [type](int r, int c) { return qvrfc::ArrayLevel(type, r, c); });
}

// The engine's own placement check, its set-up logs written into a scratch folder.
void CheckPlacement(const qvrfc::Experiment& experiment) {
    const qvrfc::ScratchFolder scratch;
    qvrfc::CheckPlacementWithEngine(experiment, scratch.Path());
}

qvrfc::Experiment Design(const qvrfc::DesignOptions& options) {
    qvrfc::Experiment experiment = qvrfc::ExperimentOfOptions(options);
    CheckPlacement(experiment);
    return experiment;
}

// A pickled design: its experiment file's text, checked when it was made.
qvrfc::Experiment ExperimentOfText(const std::string& text) {
    return qvrfc::ReadExperimentText(text, qvrfc::kExperimentFile);
}

qvrfc::Experiment ReadExperiment(const std::string& path) {
    qvrfc::Experiment experiment = qvrfc::ReadExperimentFile(path);
    CheckPlacement(experiment);
    return experiment;
}

// Writes the set that `set` makes into folder as the command writes its --out folder, the GIL
// released while the set is made, while it waits for the folder's lock and while it writes.
std::vector<std::string> WriteFolder(const std::string& folder,
                                     const std::vector<std::string>& inputs,
                                     const std::function<qvrfc::OutputSet()>& set) {
    qvrfc::OutputRequest request;
    request.folder = folder;
    request.inputs = inputs;
    py::gil_scoped_release release;
    return qvrfc::WriteOutputFolder(request, set()).files;
}

// Writes experiment.toml and runsheet.csv (or .xlsx) into folder (made when missing), as design
// --out does; returns their paths.
std::vector<std::string> WriteDesign(const qvrfc::Experiment& experiment,
                                     const std::string& folder, bool force) {
    WriteFolder(folder, {}, [&] { return qvrfc::DesignOutput(experiment, folder, force); });
    const bool workbook = experiment.sheet == qvrfc::SheetFormat::Xlsx;
    return {(fs::path(folder) / (workbook ? qvrfc::kRunSheetWorkbookFile : qvrfc::kRunSheetFile))
                .string(),
            (fs::path(folder) / qvrfc::kExperimentFile).string()};
}

IntArray DesignLevels(const qvrfc::Experiment& experiment) {
    return LevelTable(experiment.RunCount(), static_cast<int>(experiment.factors.size()),
                      [&experiment](int r, int f) { return experiment.Level(r, f) + 1; });
}

using SharedAnalysis = std::shared_ptr<qvrfc::Analysis>;

SharedAnalysis AnalyzeFile(const std::string& path, const std::string& experimentFile,
                           const qvrfc::AnalysisSettings& settings) {
    qvrfc::AnalysisInput input;
    input.dataFile = path;
    input.experimentFile = experimentFile;
    py::gil_scoped_release release;
    return std::make_shared<qvrfc::Analysis>(qvrfc::Analyze(input, settings));
}

// One response's observations, runs × values in design order, as a run sheet gives them: NaN
// for none; a value that is infinite or above 1e12 (the mark of a missing one) is refused.
std::vector<std::vector<double>> ResponseObservations(const qvrfc::Experiment& experiment,
                                                      int response, const Observations& values) {
    const std::string& name = experiment.responses[response].name;
    const int runs = experiment.RunCount(), count = qvrfc::ObservationCount(experiment);
    if (values.ndim() != 2 || values.shape(0) != runs || values.shape(1) != count)
        throw qvrfc::OptionError(
            "observations",
            qvrfc::FormatText("observations['%s']: expected an array of %d runs x %d values",
                              name.c_str(), runs, count));
    const auto cells = values.unchecked<2>();
    std::vector<std::vector<double>> observations(runs);
    for (int r = 0; r < runs; ++r) {
        for (int k = 0; k < count; ++k) {
            const double value = cells(r, k);
            if (std::isinf(value) || value > 1e12)
                throw qvrfc::OptionError(
                    "observations", qvrfc::FormatText("observations['%s']: run %d, value %d: %g "
                                                      "is not a finite number up to 1e12",
                                                      name.c_str(), r + 1, k + 1, value));
            observations[r].push_back(value);
        }
    }
    return observations;
}

SharedAnalysis AnalyzeDesign(const qvrfc::Experiment& experiment,
                             const std::vector<Observations>& values,
                             const qvrfc::AnalysisSettings& settings) {
    qvrfc::SheetObservations observations;
    for (size_t r = 0; r < values.size() && r < experiment.responses.size(); ++r)
        observations.push_back(ResponseObservations(experiment, static_cast<int>(r), values[r]));
    py::gil_scoped_release release;
    return std::make_shared<qvrfc::Analysis>(qvrfc::Analyze(experiment, observations, settings));
}

// Each response's predictions of the S/N ratio and of the mean at the settings, as JSON, as
// predict --at makes them: a numeric factor may lie between its tested levels.
struct Predictions {
    std::vector<std::pair<std::string, std::string>> responses;
    std::vector<std::string> interpolated;  // the factors set between their tested levels
};

Predictions Predict(const qvrfc::Analysis& analysis, const std::string& text) {
    const qvrfc::SettingsAt at = qvrfc::ParseSettingsAt(analysis, text);
    Predictions predictions;
    for (const qvrfc::SettingBetween& between : at.between)
        predictions.interpolated.push_back(analysis.experiment.factors[between.factor].name);
    for (size_t r = 0; r < analysis.experiment.responses.size(); ++r) {
        const qvrfc::ResponsePrediction p =
            qvrfc::PredictResponse(analysis, static_cast<int>(r), at);
        predictions.responses.emplace_back(qvrfc::PredictionJsonText(analysis, p.sn),
                                           qvrfc::PredictionJsonText(analysis, p.mean));
    }
    return predictions;
}

// A confirmation run of the response named or numbered, as confirm --response takes it.
std::string Confirm(const qvrfc::Analysis& analysis, const std::string& at,
                    const std::string& response, const std::vector<double>& values) {
    const std::vector<qvrfc::FactorLevel> levels = qvrfc::ParseLevels(analysis, at);
    const int index =
        qvrfc::RequireResponse("--response", response, analysis.experiment, analysis.dataFile);
    return qvrfc::ConfirmationJsonText(analysis,
                                       qvrfc::ConfirmationRun(analysis, index, levels, values));
}

// Writes what analyze --out writes; its inputs (the data file, the experiment file of a run
// sheet) are refused as the command refuses them. Returns the names written.
std::vector<std::string> WriteAnalysis(const qvrfc::Analysis& analysis, const std::string& folder,
                                       const std::vector<std::string>& inputs,
                                       const std::string& charts, bool html) {
    qvrfc::AnalysisParts parts;
    parts.formats = qvrfc::ParseChartFormats(charts);
    parts.html = html;
    return WriteFolder(folder, inputs, [&] { return qvrfc::AnalysisOutput(analysis, parts); });
}

// The kinds of chart a response has, as its files are named after its stem: "main-effects",
// "pareto", "half-normal", "signal", "interaction-a-b", "noise-a-n".
std::vector<std::pair<std::string, std::string>> ChartKinds(const qvrfc::ChartNames& names,
                                                            const std::string& stem) {
    std::vector<std::string> files = {names.mainEffects, names.pareto, names.halfNormal,
                                      names.signal};
    files.insert(files.end(), names.interactions.begin(), names.interactions.end());
    files.insert(files.end(), names.noise.begin(), names.noise.end());
    std::vector<std::pair<std::string, std::string>> kinds;  // kind, file without extension
    for (const std::string& file : files) {
        if (file.size() > stem.size() + 1 && file.compare(0, stem.size() + 1, stem + "-") == 0)
            kinds.emplace_back(file.substr(stem.size() + 1), file);
    }
    return kinds;
}

// One chart of a response drawn in memory, as write() draws its file: the bytes of the file.
py::bytes Chart(const qvrfc::Analysis& analysis, int response, const std::string& kind,
                const std::string& format) {
    const std::vector<qvrfc::ChartFormat> formats = qvrfc::ParseChartFormats(format);
    if (formats.size() != 1)
        throw qvrfc::OptionError("--charts",
                                 "--charts '" + format + "': expected one of svg, png or pdf");
    std::string bytes;
    {
        py::gil_scoped_release release;
        const std::vector<qvrfc::ResponseCharts> responses = qvrfc::ChartsOf(analysis);
        const std::string stem = qvrfc::ChartStems(responses).at(response);
        const std::string extension = std::string(".") + qvrfc::ChartFormatName(formats[0]);
        const std::vector<qvrfc::ChartFile> drawn = qvrfc::DrawCharts(responses, formats);
        std::string known;  // the kinds drawn for the response
        for (const auto& [name, file] :
             ChartKinds(qvrfc::ChartFileNames(responses).at(response), stem)) {
            for (const qvrfc::ChartFile& chart : drawn) {
                if (chart.name != file + extension) continue;
                known += (known.empty() ? "" : ", ") + name;
                if (name == kind) bytes = chart.bytes;
            }
        }
        if (bytes.empty())
            throw qvrfc::OptionError(
                "kind",
                "kind '" + kind + "': the response has no such chart (its charts: " + known + ")");
    }
    return py::bytes(bytes);
}

// qvrfcdoe.Error, made once when the module is loaded and kept for the process's life.
PyObject* g_error = nullptr;

// Text from the library as Python text; bytes that are not UTF-8 (a file name's) kept as
// surrogate escapes, as Python's own os functions keep them.
py::object PythonText(const std::string& text) {
    PyObject* decoded =
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (!decoded) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(decoded);
}

// qvrfcdoe.Error with the one line the command prints, and the place it names as the
// attributes file, line and key ("" and 0 where it names none).
void RaiseError(const qvrfc::Error& error) {
    try {
        py::object raised = py::handle(g_error)(PythonText(qvrfc::OneLineText(error.what())));
        raised.attr("file") = PythonText(error.File());
        raised.attr("line") = error.Line();
        raised.attr("key") = PythonText(error.Key());
        PyErr_SetObject(g_error, raised.ptr());
    } catch (py::error_already_set& failure) {
        failure.restore();
    }
}

// Every failure below Python becomes qvrfcdoe.Error with the one line the command prints;
// pybind11's own errors (a wrong argument type) keep their Python types.
void TranslateFailures(std::exception_ptr failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const py::builtin_exception&) {
        throw;
    } catch (const py::error_already_set&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const qvrfc::Error& error) {
        RaiseError(error);
    } catch (const std::exception& e) {
        PyErr_SetString(g_error, qvrfc::OneLineText(e.what()).c_str());
    } catch (...) {
        PyErr_SetString(g_error, "an unknown failure in the engine");
    }
}

}  // namespace

PYBIND11_MODULE(_qvrfcdoe, m) {
    m.doc() = "The compiled part of qvrfcdoe; use the package qvrfcdoe.";
    g_error = PyErr_NewExceptionWithDoc("qvrfcdoe.Error",
                                        "Bad input, or a file that cannot be read or written: "
                                        "the one-line message the qvrfcdoe command prints.",
                                        PyExc_ValueError, nullptr);
    if (!g_error) throw py::error_already_set();
    // The place an error names, "" and 0 where it names none (an error raised in Python).
    py::handle error(g_error);
    error.attr("file") = "";
    error.attr("line") = 0;
    error.attr("key") = "";
    m.attr("Error") = error;
    m.attr("__version__") = qvrfc::Version();
    py::register_exception_translator(&TranslateFailures);

    m.def("arrays", &Arrays);
    m.def("array", &ArrayTable, py::arg("name"));

    py::class_<qvrfc::DesignOptions>(m, "DesignOptions")
        .def(py::init<>())
        .def_readwrite("factors", &qvrfc::DesignOptions::factors)
        .def_readwrite("responses", &qvrfc::DesignOptions::responses)
        .def_readwrite("noise", &qvrfc::DesignOptions::noise)
        .def_readwrite("outer", &qvrfc::DesignOptions::outer)
        .def_readwrite("signal", &qvrfc::DesignOptions::signal)
        .def_readwrite("interactions", &qvrfc::DesignOptions::interactions)
        .def_readwrite("repetitions", &qvrfc::DesignOptions::repetitions)
        .def_readwrite("array", &qvrfc::DesignOptions::array)
        .def_readwrite("columns", &qvrfc::DesignOptions::columns)
        .def_readwrite("randomize", &qvrfc::DesignOptions::randomize)
        .def_readwrite("seed", &qvrfc::DesignOptions::seed)
        .def_readwrite("seed_given", &qvrfc::DesignOptions::seedGiven)
        .def_readwrite("sheet", &qvrfc::DesignOptions::sheet);

    py::class_<qvrfc::Experiment>(m, "Experiment")
        .def_property_readonly("array",
                               [](const qvrfc::Experiment& e) { return qvrfc::ArrayName(e.array); })
        .def_property_readonly("factors",
                               [](const qvrfc::Experiment& e) {
                                   std::vector<std::string> names;
                                   for (const qvrfc::Factor& f : e.factors)
                                       names.push_back(f.name);
                                   return names;
                               })
        .def_property_readonly("columns",
                               [](const qvrfc::Experiment& e) {
                                   std::vector<int> columns;
                                   for (const qvrfc::Factor& f : e.factors)
                                       columns.push_back(f.column + 1);
                                   return columns;
                               })
        .def_property_readonly("numeric",
                               [](const qvrfc::Experiment& e) {
                                   std::vector<bool> numeric;
                                   for (const qvrfc::Factor& f : e.factors)
                                       numeric.push_back(f.IsNumeric());
                                   return numeric;
                               })
        .def_property_readonly("responses",
                               [](const qvrfc::Experiment& e) {
                                   std::vector<std::pair<std::string, std::string>> names;
                                   for (const qvrfc::ExperimentResponse& r : e.responses)
                                       names.emplace_back(r.name, r.unit);
                                   return names;
                               })
        .def_readonly("run_order", &qvrfc::Experiment::runOrder)
        .def_readonly("randomized", &qvrfc::Experiment::randomized)
        .def_readonly("seed", &qvrfc::Experiment::seed)
        .def_property_readonly("observations_per_run", &qvrfc::ObservationCount)
        .def("levels", &DesignLevels)
        .def("runsheet_header", &qvrfc::RunSheetHeader)
        .def("runsheet_rows", &qvrfc::RunSheetRows)
        .def("runsheet_text", &qvrfc::RunSheetText)
        .def("experiment_text", &qvrfc::ExperimentFileText)
        .def("write", &WriteDesign, py::arg("folder"), py::arg("force") = false);

    m.def("design", &Design, py::arg("options"));
    m.def("read_experiment", &ReadExperiment, py::arg("path"));
    m.def("experiment_of_text", &ExperimentOfText, py::arg("text"));

    py::class_<qvrfc::AnalysisOptions>(m, "AnalysisOptions")
        .def(py::init<>())
        .def_readwrite("sn", &qvrfc::AnalysisOptions::sn)
        .def_readwrite("pool", &qvrfc::AnalysisOptions::pool)
        .def_readwrite("interactions", &qvrfc::AnalysisOptions::interactions)
        .def_readwrite("desirability", &qvrfc::AnalysisOptions::desirability)
        .def_readwrite("alpha", &qvrfc::AnalysisOptions::alpha)
        .def_readwrite("combine", &qvrfc::AnalysisOptions::combine)
        .def_readwrite("zeta", &qvrfc::AnalysisOptions::zeta)
        .def_readwrite("grey_from", &qvrfc::AnalysisOptions::greyFrom)
        .def_readwrite("array", &qvrfc::AnalysisOptions::array);
    py::class_<qvrfc::AnalysisSettings>(m, "AnalysisSettings");
    m.def("settings", &qvrfc::SettingsOfOptions, py::arg("options"));

    py::class_<Predictions>(m, "Predictions")
        .def_readonly("responses", &Predictions::responses)
        .def_readonly("interpolated", &Predictions::interpolated);

    py::class_<qvrfc::Analysis, SharedAnalysis>(m, "Analysis")
        .def("json", &qvrfc::ResultsJsonText)
        .def("summary", [](const qvrfc::Analysis& a) { return qvrfc::SummaryText(a, false); })
        .def("verdict", &qvrfc::VerdictText)
        .def("predict", &Predict, py::arg("at"))
        .def("confirm", &Confirm, py::arg("at"), py::arg("response"), py::arg("values"))
        .def("write", &WriteAnalysis, py::arg("folder"), py::arg("inputs"), py::arg("charts"),
             py::arg("html"))
        .def("chart", &Chart, py::arg("response"), py::arg("kind"), py::arg("format"));
    m.def("analyze_file", &AnalyzeFile, py::arg("path"), py::arg("experiment_file"),
          py::arg("settings"));
    m.def("analyze_design", &AnalyzeDesign, py::arg("experiment"), py::arg("observations"),
          py::arg("settings"));
}
