"""Taguchi design of experiments with the QVRFCDOEEngine, from Python."""

import os
from collections.abc import Iterator, Mapping, Sequence
from typing import Any, Union

import numpy as np
import numpy.typing as npt

__version__: str  # the project's version, "MAJOR.MINOR.PATCH"

_Path = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
_Level = Union[int, float, str]
# "larger", "nominal1:50" (KIND[:TARGET], as --response and --sn take it) or ("nominal1", 50).
_Kind = Union[str, tuple[str, float]]
# "Temperature*Pressure" or ("Temperature", "Pressure").
_Interaction = Union[str, tuple[str, str]]

class Error(ValueError):
    """Bad input, or a file that cannot be read or written: the one-line message the qvrfcdoe
    command prints. file, line and key tell the place the message names ("" and 0 where it
    names none): the file, its line (a run sheet's row) and the key, column or option."""
    file: str
    line: int
    key: str

class Record(Mapping[str, Any]):
    """A read-only view of a JSON object of the results: keys are attributes (r.anova.sn) and
    items (r["Melt temperature"]); nested objects are Records and lists are tuples."""
    def __getattr__(self, name: str) -> Any: ...
    def __getitem__(self, key: str) -> Any: ...
    def __iter__(self) -> Iterator[str]: ...
    def __len__(self) -> int: ...
    def to_dict(self) -> dict[str, Any]:
        """A plain, independent copy of the object."""

class Design:
    """A designed experiment: its array, the factors' columns, the run order and run sheet."""
    @property
    def array(self) -> str:
        """The orthogonal array's name, e.g. "L18"."""
    @property
    def factors(self) -> tuple[str, ...]:
        """The control factors' names, in the order given."""
    @property
    def columns(self) -> dict[str, int]:
        """The column (from 1) of each factor of the array."""
    @property
    def responses(self) -> tuple[str, ...]:
        """The responses' names (without their units)."""
    @property
    def run_order(self) -> list[int]:
        """The run numbers (from 1) in the order the runs are carried out."""
    @property
    def seed(self) -> int | None:
        """The seed of a randomized run order; None when the order is not randomized."""
    @property
    def levels(self) -> npt.NDArray[np.int32]:
        """The level (from 1) of each factor in each run: runs (in design order) x factors."""
    @property
    def observations_per_run(self) -> int:
        """The observations of one response in one run (noise conditions x repetitions)."""
    def observation_columns(self, response: int | str = 1) -> list[str]:
        """The run sheet's observation columns of a response (a name, or a number from 1)."""
    def runsheet(self) -> list[dict[str, int | float | str | None]]:
        """The run sheet's rows in run order, each a dict of its columns: run and order as ints,
        settings as numbers (numeric factors) or texts, observation cells None."""
    def write(self, folder: _Path, force: bool = False) -> list[str]:
        """Writes experiment.toml and runsheet.csv into folder (made when missing), both or
        neither, as `qvrfcdoe design --out folder` does; a different run sheet already there is
        refused. Returns the paths written, the folder joined with each name."""

class Analysis:
    """The analysis of an experiment: to_dict() is the command's results.json. It never
    changes; it equals another analysis of the same results, or its to_dict(); it pickles as
    its inputs and settings, analysed again when loaded (a changed file is refused)."""
    def to_dict(self) -> dict[str, Any]:
        """The results as `qvrfcdoe analyze` writes them into results.json."""
    @property
    def experiment(self) -> Record:
        """results.json's "experiment": array, runs, factors, responses."""
    @property
    def responses(self) -> tuple[Record, ...]:
        """results.json's "responses": runs, response tables, anova (sn, mean), optimum, ..."""
    @property
    def optimum(self) -> Record:
        """The first response's optimum (levels, sn and mean predictions, adjustment factor)."""
    def summary(self) -> str:
        """The summary that `qvrfcdoe analyze` prints."""
    def verdict(self) -> str:
        """The verdict text (ANOVA, optimum, notes) that `qvrfcdoe analyze` prints."""
    def predict(self, at: Mapping[str, _Level] | str) -> Record:
        """Each response's S/N ratio and mean at the levels ({"Resin": "regrind", ...} or
        "A=3,D=2"), as `qvrfcdoe predict --at`: {response: {"sn": ..., "mean": ...}}, each with
        predicted, ci, factors_used, interactions_used, n_eff, warning and interpolated (the
        numeric factors set between their tested levels, ["Melt temperature"])."""
    def confirm(self, at: Mapping[str, _Level] | str, values: Sequence[float],
                response: int | str = 1) -> Record:
        """A confirmation run at the levels, as `qvrfcdoe confirm`: mean, sn, mean_interval,
        sn_interval, mean_inside and sn_inside. response: a name or a number from 1."""
    def write(self, folder: _Path, charts: str | Sequence[str] = "svg,png",
              html: bool = True) -> list[str]:
        """Writes what `qvrfcdoe analyze --out folder` writes, all or none: the engine's set-up
        logs and reports, the verdict, results.json, the charts (svg, png, pdf or none) and
        report.html; the folder locked as the command locks it, a file analysed never replaced.
        Returns the paths written, the folder joined with each name."""
    def chart(self, response: int | str = 1, kind: str = "main-effects",
              format: str = "svg") -> str | bytes:
        """One chart of a response drawn in memory, the bytes write puts into charts/: kind
        "main-effects", "pareto", "half-normal", "signal", "interaction-a-b" or "noise-a-n";
        an SVG as text, a PNG or PDF as bytes."""
    def tables(self, response: int | str = 1) -> Any:
        """The response tables as a pandas DataFrame: factor, level, sn, mean, sd (NaN for
        none). Needs pandas."""
    def anova(self, response: int | str = 1, statistic: str = "sn") -> Any:
        """An ANOVA ("sn" or "mean") as a pandas DataFrame indexed by term, then "error" and
        "total": ss, dof, ms, f, p, pure_ss, contribution (NaN where none exists), pooled."""
    def runs(self) -> Any:
        """Each response's runs as a pandas DataFrame: response, run, mean, sd, sn, n."""

def design(factors: Mapping[str, Sequence[_Level] | str], responses: Mapping[str, _Kind], *,
           repeat: int = 1, noise: Mapping[str, Sequence[_Level] | str] | None = None,
           outer: str | None = None, signal: Mapping[str, Sequence[float]] | str | None = None,
           interactions: Sequence[_Interaction] | None = None, array: str | None = None,
           columns: Sequence[int] | str | None = None, randomize: bool = False,
           seed: int | None = None, sheet: str | None = None) -> Design:
    """Designs an experiment, as `qvrfcdoe design` does with the same options: factors
    {"Temperature[C]": [150, 170, 190]}, responses {"Yield[%]": "larger"}, repeat (observations
    per run), noise factors {"Humidity": ["low", "high"]} and their conditions (outer: "full" or
    an array such as "L8"; default the smallest that holds them when it takes fewer conditions
    than every combination), the signal factor of dynamic responses {"Load[N]": [10, 20, 30]},
    declared interactions ["Temperature*Pressure"], the array ("L18"; default the smallest that fits), the column of
    each factor, and a randomized run order (seed: the same order on every machine)."""

def read_design(path: _Path) -> Design:
    """The design of an experiment file (experiment.toml)."""

def analyze(source: _Path | Design,
            observations: Mapping[str | int, npt.ArrayLike] | None = None, *,
            sn: Mapping[int | str, _Kind] | Sequence[str] | str | None = None,
            pool: Mapping[int | str, Sequence[str] | str] | Sequence[str] | str | None = None,
            alpha: float = 0.05, interactions: Sequence[_Interaction] | None = None,
            combine: str = "desirability", zeta: float = 0.5,
            desirability: Mapping[int | str, Mapping[str, float] | str] | Sequence[str] | str
            | None = None,
            array: str | int | None = None, experiment: _Path | None = None,
            grey_from: str = "sn") -> Analysis:
    """Analyses a quality data file, a filled run sheet or a Design with its observations
    ({response: array of runs (design order) x values}, NaN for a missing value), as
    `qvrfcdoe analyze` does with the options of the same names, responses named or numbered
    from 1: sn {"Strength": "larger"}, {1: "larger"} or ["1=nominal1:50"], pool {1: ["B", "C"]},
    {1: "auto"} or "auto", alpha, interactions, combine ("desirability" or "grey") and zeta,
    desirability {"Strength": {"low": 30, "high": 50, "weight": 1, "importance": 2}}, the array
    of a data file whose run count several arrays share, the experiment file of a run sheet."""

def arrays() -> list[dict[str, Any]]:
    """The orthogonal array catalogue: type, name, display_name, runs, columns, levels."""

def array(name: str | int) -> npt.NDArray[np.int32]:
    """The level table of an array ("L18", "L16'", "L16a" or a type number): runs x columns,
    levels from 1."""
