// Drawing the charts into the bytes of an SVG, PNG or PDF file, and writing them to a folder.
#pragma once

#include <string>
#include <vector>

#include "qvrfc/charts/ChartData.h"
#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/common/QVRFCFileSet.h"

namespace qvrfc {

enum class ChartFormat { Svg, Png, Pdf };

// Empties the font caches that drawing fills (cairo's and fontconfig's). For a program that
// has finished drawing, at its end, so that leak checkers see only real leaks; drawing again
// afterwards is not supported.
QVRFC_API void ReleaseDrawingCaches();

// Format names as files and options spell them: "svg", "png", "pdf".
QVRFC_API const char* ChartFormatName(ChartFormat format);
// "svg,png" -> {Svg, Png}; repeats are dropped; "none" alone -> no chart files;
// a Usage error of key "--charts" naming the bad word.
QVRFC_API std::vector<ChartFormat> ParseChartFormats(const std::string& text);

// Each returns the complete file; qvrfc::Error when cairo cannot draw it.
QVRFC_API std::string DrawMainEffects(const MainEffects& chart, ChartFormat format);
QVRFC_API std::string DrawPareto(const Pareto& chart, ChartFormat format);
QVRFC_API std::string DrawHalfNormal(const HalfNormal& chart, ChartFormat format);
QVRFC_API std::string DrawInteraction(const InteractionPlot& chart, ChartFormat format);
QVRFC_API std::string DrawSignalResponse(const SignalResponse& chart, ChartFormat format);

// The part of an interaction plot's file name after the response's stem: "interaction-a-b".
QVRFC_API std::string InteractionChartName(const InteractionPlot& chart);

// Where a half-normal plot puts the i-th smallest of count absolute effects: the standard
// normal quantile of 0.5 + 0.5 (i + 0.5) / count.
QVRFC_API std::vector<double> HalfNormalQuantiles(size_t count);

// An SVG drawing ready to sit inside an HTML page: no XML declaration, and its identifiers
// prefixed with `prefix` so that several drawings on one page do not share glyphs.
QVRFC_API std::string InlineSvg(const std::string& svg, const std::string& prefix);

// A file name stem made of lower-case letters, digits and dashes: "Yield [%]" -> "yield".
QVRFC_API std::string FileStem(const std::string& name);

// One file to write: its name inside the folder and its bytes.
struct ChartFile {
    std::string name;
    std::string bytes;
};

// The folder of the chart files, inside the folder of a command's output.
constexpr const char* kChartFolder = "charts";

// Where each response's charts go: "charts/<stem>", the stems made unique ("yield-2").
QVRFC_API std::vector<std::string> ChartStems(const std::vector<ResponseCharts>& responses);

// The files of one response's charts, without the format's extension: "charts/<stem>-pareto".
struct ChartNames {
    std::string mainEffects, pareto, halfNormal;
    std::string signal;                     // "-signal", of a dynamic response
    std::string dispersion;                 // "-dispersion", the main effects on ln s^2
    std::vector<std::string> interactions;  // one per interaction plot, in order
    std::vector<std::string> noise;         // one per control x noise plot: "-noise-a-n"
};
// The names of every response's charts, each its own: the stems of ChartStems, and an
// interaction plot whose name another chart has already taken (factors named alike but for
// case, or in letters other than a-z, which file names drop) followed by "-2", "-3", ...
QVRFC_API std::vector<ChartNames> ChartFileNames(const std::vector<ResponseCharts>& responses);

// True for a name inside charts/ of the form chart files are given: a stem of a-z, 0-9 and
// '-', then "-main-effects", "-pareto", "-half-normal", "-signal", "-dispersion",
// "-interaction-..." or
// "-noise-...", or the combined chart's "combined-desirability" or "combined-grade"; then
// ".svg", ".png" or ".pdf".
QVRFC_API bool IsChartFileName(const std::string& name);

// The files of every chart of the responses, named as ChartFileNames names them with the
// format's extension: "charts/<stem>-main-effects.svg", ..., "charts/<stem>-interaction-a-b.svg";
// a half-normal plot only where there are effects.
QVRFC_API std::vector<ChartFile> DrawCharts(const std::vector<ResponseCharts>& responses,
                                            const std::vector<ChartFormat>& formats);

// Writes every file into folder (subfolders made as needed) as one FileSet (QVRFCFileSet.h):
// every file or none. When a file cannot be written no file is changed, and a qvrfc::Error
// names its absolute path and the cause. Returns the paths written.
QVRFC_API std::vector<std::string> WriteFilesWhole(const std::string& folder,
                                                   const std::vector<ChartFile>& files);
// The same files staged in a set that the caller commits with its other files.
QVRFC_API std::vector<std::string> StageFiles(FileSet& staged, const std::string& folder,
                                              const std::vector<ChartFile>& files);

}  // namespace qvrfc
