// Designing an experiment from named factors, as the design command and the Python module
// state it: the options' texts ("Temperature[C]=150,170,190", "Yield[%]:larger"), the array
// chosen or named, the factors placed, the run order drawn, and the texts of the experiment
// file and run sheet (which results/OutputFolder.h writes as a set).
//
//   qvrfc::DesignOptions options;
//   options.factors = {"Temperature[C]=150,170,190", "Catalyst=A,B,C"};
//   options.responses = {"Yield[%]:larger"};
//   const qvrfc::Experiment experiment = qvrfc::ExperimentOfOptions(options);
//   const qvrfc::DesignTexts texts = qvrfc::DesignFileTexts(experiment, "out/experiment.toml");
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"
#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

// The files of a design in its folder: the experiment file and the run sheet for the lab.
constexpr const char* kExperimentFile = "experiment.toml";
constexpr const char* kRunSheetFile = "runsheet.csv";
constexpr const char* kRunSheetWorkbookFile = "runsheet.xlsx";

// The design command's options as typed; messages name them as the command spells them.
struct DesignOptions {
    std::vector<std::string> factors;       // --factor "NAME[UNIT]=LEVEL,LEVEL,..."
    std::vector<std::string> responses;     // --response "NAME[UNIT]:KIND[:TARGET]"
    std::vector<std::string> noise;         // --noise "NAME=LEVEL,LEVEL,..."
    std::string outer;                      // --outer full|ARRAY; empty: the default
    std::string signal;                     // --signal "NAME[UNIT]=M,M,..."; empty: none
    std::vector<std::string> interactions;  // --interaction "NAME*NAME"
    int repetitions = 1;                    // --repeat
    std::string array;                      // --array; empty: the smallest that fits
    std::string columns;                    // --columns "1,3,5"; empty: the first that fit
    bool randomize = false;                 // --randomize
    std::uint32_t seed = 0;                 // --seed, when seedGiven (which randomizes too)
    bool seedGiven = false;
    std::string sheet;  // --sheet csv|xlsx; empty: csv
};

// The experiment the options describe, its array chosen, its factors placed, its run order
// drawn (from a random seed when randomized without one) and checked. qvrfc::Error naming the
// option and the cause ("--factor 'T=1': ..."), of kind Usage for a text not understood.
QVRFC_API Experiment ExperimentOfOptions(const DesignOptions& options);

// The engine's own check of the experiment's placement; its set-up logs go into logFolder,
// which must exist. qvrfc::Error with the engine's cause when it refuses.
QVRFC_API void CheckPlacementWithEngine(const Experiment& experiment, const std::string& logFolder);

// The texts of the design's two files, made (and the experiment file read back) before
// anything is written: the run sheet in the experiment's sheet format (the bytes of a
// workbook for xlsx) under its file name.
struct DesignTexts {
    std::string runSheet, experimentFile;
    std::string runSheetName = kRunSheetFile;
};
QVRFC_API DesignTexts DesignFileTexts(const Experiment& experiment,
                                      const std::string& experimentPath);

// A run sheet already at sheetPath may hold observations: only the same empty sheet may be
// written over; anything else is refused (qvrfc::Error naming it).
QVRFC_API void RefuseReplacingAnotherSheet(const std::string& newSheet,
                                           const std::string& sheetPath);
// An experiment file already at path may have been edited by hand: only the same text may be
// written over, unless forced. Otherwise qvrfc::Error naming the file and the first difference
// ("response[1].low", or its text alone: comments or layout).
QVRFC_API void RefuseReplacingAnotherExperimentFile(const std::string& newText,
                                                    const std::string& path);

}  // namespace qvrfc
