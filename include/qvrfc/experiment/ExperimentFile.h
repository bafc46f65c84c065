// The experiment file: a commented TOML file that holds an Experiment, written by the design
// step and edited by hand. Its keys:
//   array = "L18", repetitions = 3, randomized = true, seed = 1234, run_order = [5, 1, ...]
//   interactions = ["Temperature*Pressure"]: declared interactions, in the factors' names
//   [[factor]]   name, unit, levels = [150, 170, 190] or ["steel", "brass"], column (from 1)
//   [[response]] name, unit, sn = "larger" (a kind of SnKindList), target (nominal kinds)
//   [[noise]]    name, levels
#pragma once

#include <string>

#include "qvrfc/experiment/Experiment.h"

namespace qvrfc {

// The experiment of a file; ExperimentError "<path>:<line>: <key>: <cause>" for any bad field.
QVRFC_API Experiment ReadExperimentFile(const std::string& path);
// The same for the text of a file; `name` stands for the file in messages.
QVRFC_API Experiment ReadExperimentText(const std::string& text, const std::string& name);
// The file's text, with comments that explain the fields.
QVRFC_API std::string ExperimentFileText(const Experiment& experiment);
// The file's text for path once the experiment is checked and the text is read back into the
// same experiment (ExperimentDifference); ExperimentError "cannot write '<path>': ..." when it
// would read back otherwise.
QVRFC_API std::string VerifiedExperimentFileText(const Experiment& experiment,
                                                 const std::string& path);
// Writes the verified text whole (FileWriting.h).
QVRFC_API void WriteExperimentFile(const Experiment& experiment, const std::string& path);

}  // namespace qvrfc
