// Chart formats, file names, SVG for HTML pages and whole-or-nothing writing of chart files.
#include "qvrfc/charts/ChartRender.h"

#include <filesystem>
#include <set>

#include "qvrfc/common/QVRFCError.h"
#include "qvrfc/common/QVRFCFileSet.h"

namespace qvrfc {
namespace {

namespace fs = std::filesystem;

std::string Unique(const std::string& stem, std::set<std::string>& taken) {
    std::string name = stem;
    for (int n = 2; !taken.insert(name).second; ++n)
        name = stem + "-" + std::to_string(n);
    return name;
}

}  // namespace

const char* ChartFormatName(ChartFormat format) {
    switch (format) {
        case ChartFormat::Png:
            return "png";
        case ChartFormat::Pdf:
            return "pdf";
        default:
            return "svg";
    }
}

std::vector<ChartFormat> ParseChartFormats(const std::string& text) {
    std::vector<ChartFormat> formats;
    if (text == "none") return formats;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        const std::string word = text.substr(start, end - start);
        ChartFormat format;
        if (word == "svg")
            format = ChartFormat::Svg;
        else if (word == "png")
            format = ChartFormat::Png;
        else if (word == "pdf")
            format = ChartFormat::Pdf;
        else
            throw Error("unknown chart format '" + word +
                            "' (use svg, png and pdf, separated by commas, or none)",
                        "", 0, "--charts", Error::Kind::Usage);
        bool seen = false;
        for (ChartFormat f : formats)
            seen = seen || f == format;
        if (!seen) formats.push_back(format);
        start = end + 1;
    }
    return formats;
}

std::string InlineSvg(const std::string& svg, const std::string& prefix) {
    // One pass: the prefix goes after each 'id="', 'href="#' and 'url(#'.
    const size_t start = svg.find("<svg");
    std::string text;
    text.reserve(svg.size() + svg.size() / 16);
    size_t copied = start == std::string::npos ? 0 : start;
    for (size_t at = svg.find_first_of("=(", copied); at != std::string::npos;
         at = svg.find_first_of("=(", at + 1)) {
        size_t insert = std::string::npos;
        if (svg.compare(at, 2, "=\"") == 0 && at >= 2 && svg.compare(at - 2, 2, "id") == 0)
            insert = at + 2;
        else if (svg.compare(at, 3, "=\"#") == 0 && at >= 4 && svg.compare(at - 4, 4, "href") == 0)
            insert = at + 3;
        else if (svg.compare(at, 2, "(#") == 0 && at >= 3 && svg.compare(at - 3, 3, "url") == 0)
            insert = at + 2;
        if (insert == std::string::npos || insert < copied) continue;
        text.append(svg, copied, insert - copied).append(prefix);
        copied = insert;
    }
    return text.append(svg, copied, std::string::npos);
}

std::string FileStem(const std::string& name) {
    std::string stem;
    for (char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool upper = c >= 'A' && c <= 'Z';
        if (keep || upper)
            stem += upper ? static_cast<char>(c - 'A' + 'a') : c;
        else if (!stem.empty() && stem.back() != '-')
            stem += '-';
    }
    while (!stem.empty() && stem.back() == '-')
        stem.pop_back();
    return stem.empty() ? "response" : stem;
}

std::vector<std::string> ChartStems(const std::vector<ResponseCharts>& responses) {
    std::vector<std::string> stems;
    std::set<std::string> taken;
    for (const ResponseCharts& charts : responses)
        stems.push_back(std::string(kChartFolder) + "/" + Unique(FileStem(charts.response), taken));
    return stems;
}

std::vector<ChartNames> ChartFileNames(const std::vector<ResponseCharts>& responses) {
    const std::vector<std::string> stems = ChartStems(responses);
    std::vector<ChartNames> names;
    std::set<std::string> taken;
    // The names of fixed endings cannot meet, the stems being unique; interaction plots are
    // named after them, so that only theirs take a number.
    for (const std::string& stem : stems) {
        names.push_back({stem + "-main-effects",
                         stem + "-pareto",
                         stem + "-half-normal",
                         stem + "-signal",
                         stem + "-dispersion",
                         {},
                         {}});
        taken.insert({names.back().mainEffects, names.back().pareto, names.back().halfNormal,
                      names.back().signal, names.back().dispersion});
    }
    for (size_t r = 0; r < responses.size(); ++r) {
        for (const InteractionPlot& plot : responses[r].interactions)
            names[r].interactions.push_back(
                Unique(stems[r] + "-" + InteractionChartName(plot), taken));
        for (const InteractionPlot& plot : responses[r].noise)
            names[r].noise.push_back(Unique(
                stems[r] + "-noise-" + FileStem(plot.first.name) + "-" + FileStem(plot.second.name),
                taken));
    }
    return names;
}

bool IsChartFileName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string format = name.substr(dot + 1), base = name.substr(0, dot);
    if (format != "svg" && format != "png" && format != "pdf") return false;
    for (char c : base) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    }
    if (base.empty() || base[0] == '-') return false;
    if (base == "combined-desirability" || base == "combined-grade") return true;
    for (const std::string ending :
         {"-main-effects", "-pareto", "-half-normal", "-signal", "-dispersion"}) {
        if (base.size() > ending.size() &&
            base.compare(base.size() - ending.size(), ending.size(), ending) == 0)
            return true;
    }
    for (const std::string pair : {"-interaction-", "-noise-"}) {
        const size_t at = base.find(pair);
        if (at != std::string::npos && at + pair.size() < base.size()) return true;
    }
    return false;
}

// Drawn one after the other, not on two threads: cairo's cache of scaled fonts, shared by every
// drawing of a process, fails an assertion and aborts when two threads draw text at once.
std::vector<ChartFile> DrawCharts(const std::vector<ResponseCharts>& responses,
                                  const std::vector<ChartFormat>& formats) {
    std::vector<ChartFile> files;
    const std::vector<ChartNames> names = ChartFileNames(responses);
    for (size_t r = 0; r < responses.size(); ++r) {
        const ResponseCharts& charts = responses[r];
        for (ChartFormat format : formats) {
            const std::string ext = std::string(".") + ChartFormatName(format);
            files.push_back(
                {names[r].mainEffects + ext, DrawMainEffects(charts.mainEffects, format)});
            files.push_back({names[r].pareto + ext, DrawPareto(charts.pareto, format)});
            for (size_t i = 0; i < charts.interactions.size(); ++i)
                files.push_back({names[r].interactions[i] + ext,
                                 DrawInteraction(charts.interactions[i], format)});
            for (size_t i = 0; i < charts.noise.size(); ++i)
                files.push_back(
                    {names[r].noise[i] + ext, DrawInteraction(charts.noise[i], format)});
            if (!charts.signal.runs.empty())
                files.push_back({names[r].signal + ext, DrawSignalResponse(charts.signal, format)});
            if (!charts.dispersion.series.empty())
                files.push_back(
                    {names[r].dispersion + ext, DrawMainEffects(charts.dispersion, format)});
            if (!charts.halfNormal.effects.empty())
                files.push_back(
                    {names[r].halfNormal + ext, DrawHalfNormal(charts.halfNormal, format)});
        }
    }
    return files;
}

std::vector<std::string> StageFiles(FileSet& staged, const std::string& folder,
                                    const std::vector<ChartFile>& files) {
    std::vector<std::string> paths;
    for (const ChartFile& file : files) {
        paths.push_back((fs::path(folder) / file.name).lexically_normal().string());
        std::error_code ignored;  // a folder that cannot be made fails the write, which says why
        fs::create_directories(fs::path(paths.back()).parent_path(), ignored);
        staged.Write(paths.back(), file.bytes);
    }
    return paths;
}

std::vector<std::string> WriteFilesWhole(const std::string& folder,
                                         const std::vector<ChartFile>& files) {
    FileSet staged;
    const std::vector<std::string> paths = StageFiles(staged, folder, files);
    staged.Commit();
    return paths;
}

}  // namespace qvrfc
