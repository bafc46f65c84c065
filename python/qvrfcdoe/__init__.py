"""Taguchi design of experiments with the QVRFCDOEEngine, from Python.

The same engine as the ``qvrfcdoe`` program: design an experiment from named factors, analyse
its filled run sheet (or observations held in numpy arrays), predict and confirm.

>>> import qvrfcdoe
>>> d = qvrfcdoe.design(factors={"Temperature[C]": [150, 170, 190], "Catalyst": ["A", "B", "C"]},
...                     responses={"Yield[%]": "larger"}, repeat=2, randomize=True, seed=11)
>>> d.write("yield")                                     # experiment.toml and runsheet.csv
>>> a = qvrfcdoe.analyze("yield/runsheet.csv")           # once the lab has filled the sheet
>>> a.responses[0].anova.sn.terms[0].p, a.optimum.levels
>>> a.predict(at={"Temperature": 170, "Catalyst": "B"})["Yield"].mean.ci
>>> a.write("yield")                                     # reports, results.json, charts, page

Bad input raises :class:`Error` (a ``ValueError``) with the one-line message the command prints,
naming the parameters of these functions where the command names its options.
"""

from __future__ import annotations

import contextlib
import copy
import html
import json
import math
import numbers
import os
import re
from collections.abc import Mapping

import numpy as np

from . import _qvrfcdoe as _native
from ._qvrfcdoe import Error

__version__ = _native.__version__

__all__ = ["__version__", "Error", "Record", "Design", "Analysis", "arrays", "array", "design",
           "read_design", "analyze"]


class Record(Mapping):
    """A read-only view of a JSON object of the results.

    Keys are attributes (``r.anova.sn``) and items (``r["Melt temperature"]``); nested objects
    are Records and lists are tuples. ``to_dict()`` gives a plain copy.
    """

    __slots__ = ("_data",)

    def __init__(self, data: dict):
        object.__setattr__(self, "_data", data)

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        try:
            return _view(self._data[name])
        except KeyError:
            raise AttributeError(f"no field '{name}' (fields: {', '.join(self._data)})") from None

    def __setattr__(self, name, value):
        raise AttributeError("results are read-only")

    def __getitem__(self, key):
        return _view(self._data[key])

    def __iter__(self):
        return iter(self._data)

    def __len__(self):
        return len(self._data)

    def __dir__(self):
        return sorted(set(dir(type(self))) | {k for k in self._data if k.isidentifier()})

    def __repr__(self):
        return f"Record({self._data!r})"

    def to_dict(self) -> dict:
        """A plain, independent copy of the object."""
        return copy.deepcopy(self._data)

    def __eq__(self, other):
        """Equal to a Record or a plain dict of the same fields (lists or tuples alike)."""
        if isinstance(other, Record):
            return self._data == other._data
        if isinstance(other, Mapping):
            return self._data == _plain(other)
        return NotImplemented

    __hash__ = None

    # Read-only, so a copy may be the object itself; a deep copy and a pickle hold the fields.
    def __copy__(self):
        return self

    def __deepcopy__(self, memo):
        return Record(copy.deepcopy(self._data, memo))

    def __reduce__(self):
        return (Record, (self._data,))


def _plain(value):
    """A value as JSON holds it: mappings as dicts, tuples and lists as lists."""
    if isinstance(value, Record):
        return value.to_dict()
    if isinstance(value, Mapping):
        return {key: _plain(item) for key, item in value.items()}
    if isinstance(value, (list, tuple)):
        return [_plain(item) for item in value]
    return value


def _view(value):
    if isinstance(value, dict):
        return Record(value)
    if isinstance(value, list):
        return tuple(_view(item) for item in value)
    return value


# The command's options and the parameters that take their values here: the messages of the
# library name the options, and the Python client names its parameters instead.
_PARAMETERS = {"--alpha": "alpha", "--array": "array", "--at": "at", "--charts": "charts",
               "--columns": "columns", "--combine": "combine", "--desirability": "desirability",
               "--experiment": "experiment", "--factor": "factors", "--force": "force=True", "--grey-from": "grey_from",
               "--interaction": "interactions", "--noise": "noise", "--outer": "outer",
               "--pool": "pool", "--repeat": "repeat", "--response": "responses",
               "--seed": "seed", "--sheet": "sheet", "--signal": "signal", "--sn": "sn", "--values": "values",
               "--zeta": "zeta"}
_OPTION = re.compile(r"(?<![\w-])--[a-z]+(?:-[a-z]+)*")


@contextlib.contextmanager
def _python_words(**options):
    """Errors raised inside name parameters instead of the command's options; options gives
    other names where a call's parameter differs (response="response" for --response)."""
    names = dict(_PARAMETERS, **{f"--{option}": name for option, name in options.items()})
    try:
        yield
    except Error as error:
        def rename(text):
            text = text.replace("--out folder", "folder")
            return _OPTION.sub(lambda m: names.get(m.group(), m.group()), text)
        renamed = Error(rename(str(error)))
        renamed.file, renamed.line, renamed.key = error.file, error.line, rename(error.key)
        raise renamed.with_traceback(error.__traceback__) from None


def _path(value, where: str) -> str:
    """A path (text, bytes or os.PathLike) as text. A NUL in it is a ValueError, as open()
    gives, and one that is not UTF-8 text is refused, before anything is read or written."""
    path = os.fspath(value)
    if isinstance(path, bytes):
        try:
            path = path.decode("utf-8")
        except UnicodeDecodeError:
            raise Error(f"{where}: the path {path!r} is not UTF-8 text") from None
    if "\0" in path:
        raise Error(f"{where}: embedded null byte in the path {path!r}")
    try:
        path.encode("utf-8")
    except UnicodeEncodeError:
        raise Error(f"{where}: the path {path!r} is not UTF-8 text") from None
    return path


def _value_text(value, where: str) -> str:
    """A level or value as the command line writes it: numbers in full, texts as they are."""
    if isinstance(value, (bool, np.bool_)):
        raise Error(f"{where}: {value!r} is neither a number nor a text")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        if not math.isfinite(value):
            raise Error(f"{where}: {value!r} is not a finite number")
        return repr(float(value))
    if isinstance(value, str):
        return value
    raise Error(f"{where}: {value!r} is neither a number nor a text")


def _list_text(values, where: str) -> str:
    """LEVEL,LEVEL,... of a list of levels (a text is taken as the command's list)."""
    if isinstance(values, str):
        return values
    texts = [_value_text(v, where) for v in values]
    for text in texts:
        if "," in text:
            raise Error(f"{where}: the level '{text}' holds a comma")
    return ",".join(texts)


def _named(name, where: str, forbidden: str) -> str:
    if not isinstance(name, str):
        raise Error(f"{where}: the name {name!r} is not a text")
    for c in forbidden:
        if c in name:
            raise Error(f"{where}: the name '{name}' holds '{c}'")
    return name


def _interaction_texts(interactions) -> list:
    texts = []
    for item in interactions or []:
        if not isinstance(item, str) and not (
                isinstance(item, tuple) and len(item) == 2 and all(isinstance(n, str) for n in item)):
            raise Error(f"interactions: {item!r} is neither 'A*B' nor a pair of factor names")
        texts.append(item if isinstance(item, str) else "*".join(item))
    return texts


def _response_text(kind, where: str = "responses") -> str:
    """larger, nominal1:50 or ("nominal1", 50) as KIND[:TARGET]."""
    if isinstance(kind, str):
        return kind
    if not isinstance(kind, tuple) or len(kind) != 2 or not isinstance(kind[0], str):
        raise Error(f"{where}: {kind!r}: expected KIND, KIND:TARGET or (KIND, TARGET)")
    return f"{kind[0]}:{_value_text(kind[1], 'target')}"


def _levels_text(at) -> str:
    """FACTOR=LEVEL,... of a mapping (a text is taken as the command's --at)."""
    if isinstance(at, str):
        return at
    items = []
    for factor, level in at.items():
        name = _named(factor, "at", ",=")
        items.append(f"{name}={_list_text([level], f'at[{name!r}]')}")
    return ",".join(items)


class Design:
    """A designed experiment: its array, the factors' columns, the run order and run sheet.

    Made by :func:`design` or :func:`read_design`; :meth:`write` writes the experiment file and
    the run sheet that ``qvrfcdoe design`` writes.
    """

    def __init__(self, experiment):
        self._experiment = experiment

    # A design pickles, copies and compares as its experiment file's text.
    def __reduce__(self):
        return (_design_of_text, (self._experiment.experiment_text(),))

    def __copy__(self):
        return self

    def __deepcopy__(self, memo):
        return self

    def __eq__(self, other):
        if not isinstance(other, Design):
            return NotImplemented
        return self._experiment.experiment_text() == other._experiment.experiment_text()

    __hash__ = None

    @property
    def array(self) -> str:
        """The orthogonal array's name, e.g. ``"L18"``."""
        return self._experiment.array

    @property
    def factors(self) -> tuple:
        """The control factors' names, in the order given."""
        return tuple(self._experiment.factors)

    @property
    def columns(self) -> dict:
        """The column (from 1) of each factor of the array."""
        return dict(zip(self._experiment.factors, self._experiment.columns))

    @property
    def responses(self) -> tuple:
        """The responses' names (without their units)."""
        return tuple(name for name, _ in self._experiment.responses)

    @property
    def run_order(self) -> list:
        """The run numbers (from 1) in the order the runs are carried out."""
        return list(self._experiment.run_order)

    @property
    def seed(self):
        """The seed of a randomized run order; None when the order is not randomized."""
        return self._experiment.seed if self._experiment.randomized else None

    @property
    def levels(self) -> np.ndarray:
        """The level (from 1) of each factor in each run: runs (in design order) x factors."""
        return self._experiment.levels()

    @property
    def observations_per_run(self) -> int:
        """The observations of one response in one run (noise conditions x repetitions)."""
        return self._experiment.observations_per_run

    def observation_columns(self, response=1) -> list:
        """The run sheet's observation columns of a response (a name, or a number from 1)."""
        index = self._response_index(response)
        header = self._experiment.runsheet_header()
        first = 2 + len(self.factors) + index * self.observations_per_run
        return header[first:first + self.observations_per_run]

    def runsheet(self) -> list:
        """The run sheet's rows in run order, each a dict of its columns: run and order as
        ints, settings as numbers (numeric factors) or texts, observation cells None."""
        header = self._experiment.runsheet_header()
        numeric = self._experiment.numeric
        rows = []
        for cells in self._experiment.runsheet_rows():
            row = {}
            for c, (name, cell) in enumerate(zip(header, cells)):
                if c < 2:
                    row[name] = int(cell)
                elif c < 2 + len(numeric):
                    row[name] = float(cell) if numeric[c - 2] else cell
                else:
                    row[name] = None
            rows.append(row)
        return rows

    def write(self, folder, force=False) -> list:
        """Writes ``experiment.toml`` and the run sheet into folder (made when missing), both
        or neither; a different run sheet already there (it may hold observations) is refused,
        and so is an experiment file that differs (edited by hand) unless ``force``.
        Returns the paths written, the folder joined with each name, as :meth:`Analysis.write`."""
        folder = _path(folder, "folder")
        with _python_words():
            names = self._experiment.write(folder, bool(force))
        return [os.path.join(folder, os.path.basename(name)) for name in names]

    def _response_index(self, response) -> int:
        names = self.responses
        if isinstance(response, (bool, np.bool_)):
            raise Error(f"response {response!r} is neither a name nor a number")
        if isinstance(response, str):
            for i, (name, unit) in enumerate(self._experiment.responses):
                if response in (name, f"{name}[{unit}]"):
                    return i
            raise Error(f"'{response}' is no response of the design (its responses: "
                        f"{', '.join(names)})")
        if not isinstance(response, numbers.Integral) or not 1 <= response <= len(names):
            raise Error(f"response {response!r} is out of range (the design has "
                        f"{len(names)} responses, numbered from 1)")
        return int(response) - 1

    def _observation_arrays(self, observations) -> list:
        if not isinstance(observations, Mapping):
            raise Error("observations: expected a dict {response: array of runs x values}")
        arrays = [None] * len(self.responses)
        for key, values in observations.items():
            try:
                i = self._response_index(key)
            except Error as error:
                raise Error(f"observations: {error}") from None
            if arrays[i] is not None:
                raise Error(f"observations: the response '{self.responses[i]}' is given twice "
                            f"(the key {key!r} names it again)")
            if isinstance(values, np.ma.MaskedArray):
                raise Error(f"observations[{key!r}]: a masked array is refused (its mask would "
                            f"be lost): give NaN for a missing observation")
            table = np.asarray(values, dtype=float)
            if table.ndim == 1 and self.observations_per_run == 1:
                table = table.reshape(-1, 1)
            arrays[i] = table
        for i, table in enumerate(arrays):
            if table is None:
                raise Error(f"observations: no values for the response '{self.responses[i]}'")
        return arrays

    def __repr__(self):
        return (f"<qvrfcdoe.Design {self.array}: {len(self.run_order)} runs, "
                f"factors {', '.join(self.factors)}; responses {', '.join(self.responses)}>")


def _design_of_text(text: str) -> Design:
    """The design of an experiment file's text (a pickled Design)."""
    return Design(_native.experiment_of_text(text))


def _entries(value, where: str, form: str) -> list:
    """The (name, value) pairs of a dict argument."""
    if value is None:
        return []
    if not isinstance(value, Mapping):
        raise Error(f"{where}: expected a dict {{{form}}}")
    return list(value.items())


def _signal_text(signal) -> str:
    """NAME[UNIT]=LEVEL,... of {name: levels} (a text is taken as the command's --signal)."""
    if signal is None or isinstance(signal, str):
        return signal or ""
    entries = _entries(signal, "signal", "NAME[UNIT]: levels")
    if len(entries) != 1:
        raise Error("signal: expected one signal factor {NAME[UNIT]: levels}")
    name, levels = entries[0]
    return f"{_named(name, 'signal', '=')}={_list_text(levels, f'signal[{name!r}]')}"


def _design_options(factors, responses, repeat, noise, outer, signal, interactions, array,
                    columns, randomize, seed, sheet=None):
    options = _native.DesignOptions()
    options.factors = [f"{_named(n, 'factors', '=')}={_list_text(v, f'factors[{n!r}]')}"
                       for n, v in _entries(factors, "factors", "NAME[UNIT]: levels")]
    options.responses = [f"{_named(n, 'responses', ':')}:{_response_text(kind)}"
                         for n, kind in _entries(responses, "responses", "NAME[UNIT]: KIND")]
    options.noise = [f"{_named(n, 'noise', '=')}={_list_text(v, f'noise[{n!r}]')}"
                     for n, v in _entries(noise, "noise", "NAME: levels")]
    options.outer = outer or ""
    if sheet is not None and not isinstance(sheet, str):
        raise Error(f"sheet: {sheet!r} is not csv or xlsx")
    options.sheet = sheet or ""
    options.signal = _signal_text(signal)
    options.interactions = _interaction_texts(interactions)
    if isinstance(repeat, bool) or not isinstance(repeat, numbers.Integral) \
            or not 1 <= repeat <= 1000:
        raise Error(f"repeat: {repeat!r} is not a count from 1 to 1000")
    options.repetitions = int(repeat)
    options.array = array or ""
    if columns is not None:
        options.columns = columns if isinstance(columns, str) else ",".join(
            _value_text(c, "columns") for c in columns)
    options.randomize = bool(randomize)
    if seed is not None:
        if isinstance(seed, bool) or not isinstance(seed, numbers.Integral) \
                or not 0 <= seed < 2**32:
            raise Error(f"seed: {seed!r} is not a whole number from 0 to 4294967295")
        options.seed = int(seed)
        options.seed_given = True
    return options


def design(factors, responses, *, repeat=1, noise=None, outer=None, signal=None,
           interactions=None, array=None, columns=None, randomize=False, seed=None,
           sheet=None) -> Design:
    """Designs an experiment, as ``qvrfcdoe design`` does with the same options; ``signal``
    is the signal factor of dynamic responses, ``{"Load[N]": [10, 20, 30]}``; ``sheet`` "csv"
    (the default) or "xlsx", the run sheet's format."""
    options = _design_options(factors, responses, repeat, noise, outer, signal, interactions,
                              array, columns, randomize, seed, sheet)
    with _python_words():
        return Design(_native.design(options))


def read_design(path) -> Design:
    """The design of an experiment file (``experiment.toml``), as ``qvrfcdoe design
    --experiment`` reads it."""
    path = _path(path, "path")
    with _python_words():
        return Design(_native.read_experiment(path))


def _texts(value, where: str) -> list:
    if value is None:
        return []
    if isinstance(value, str):
        return [value]
    if isinstance(value, Mapping):
        raise Error(f"{where}: expected RESPONSE=... texts or a dict by response")
    return [str(item) for item in value]


def _response_key(response, where: str) -> str:
    """A response as the options name it: its name, or its number from 1."""
    if isinstance(response, numbers.Integral) and not isinstance(response, (bool, np.bool_)):
        return str(int(response))
    if isinstance(response, str):
        return _named(response, where, "=")
    raise Error(f"{where}: the response {response!r} is neither a name nor a number")


def _by_response(value, where: str, text) -> list:
    """RESPONSE=... texts of a dict by response (name or number), or the texts as given."""
    if isinstance(value, Mapping):
        return [f"{_response_key(response, where)}={text(item, f'{where}[{response!r}]')}"
                for response, item in value.items()]
    return _texts(value, where)


def _terms_text(terms, where: str) -> str:
    if isinstance(terms, str):
        return terms
    return ",".join(_value_text(term, where) for term in terms)


def _desirability_text(keys, where: str) -> str:
    if isinstance(keys, str):
        return keys
    if not isinstance(keys, Mapping):
        raise Error(f"{where}: expected a dict {{low, high, weight, importance: number}}")
    return ",".join(f"{_named(key, where, ':,')}:{_number_text(value, where)}"
                    for key, value in keys.items())


def _number_text(value, where: str) -> str:
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Real):
        raise Error(f"{where}: {value!r} is not a number")
    return _value_text(value, where)


def _number(value, option: str) -> float:
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, numbers.Real):
        raise Error(f"{option}: {value!r} is not a number")
    return float(value)


def _analysis_options(sn, pool, alpha, interactions, combine, zeta, desirability, array,
                      grey_from="sn"):
    options = _native.AnalysisOptions()
    options.sn = _by_response(sn, "sn", _response_text)
    options.pool = _by_response(pool, "pool", _terms_text)
    options.alpha = _number(alpha, "alpha")
    options.interactions = _interaction_texts(interactions)
    if not isinstance(combine, str):
        raise Error(f"combine: {combine!r} is not desirability or grey")
    options.combine = combine
    options.zeta = _number(zeta, "zeta")
    if not isinstance(grey_from, str):
        raise Error(f"grey_from: {grey_from!r} is not sn or mean")
    options.grey_from = grey_from
    options.desirability = _by_response(desirability, "desirability", _desirability_text)
    options.array = "" if array is None else _value_text(array, "array")
    return options


class Analysis:
    """The analysis of an experiment: ``to_dict()`` is the command's ``results.json``.

    Its parts read as attributes: ``experiment``, ``responses`` (``responses[0].anova.sn``,
    ``responses[0].optimum``) and ``optimum`` (the first response's). It never changes: a copy
    is the analysis itself, and two analyses are equal when their results are (an analysis
    also equals its ``to_dict()``). It pickles as its inputs and settings, analysed again when
    loaded: a file that has changed since then is refused.
    """

    def __init__(self, native, recipe, inputs=()):
        self._native = native
        self._recipe = recipe  # what analyze was given: source, observations, experiment, settings
        self._inputs = [os.path.abspath(path) for path in inputs]  # what write never replaces
        self._results = json.loads(native.json())

    def to_dict(self) -> dict:
        """The results as ``qvrfcdoe analyze`` writes them into ``results.json``."""
        return copy.deepcopy(self._results)

    @property
    def experiment(self) -> Record:
        """results.json's "experiment": array, runs, factors, responses."""
        return Record(self._results["experiment"])

    @property
    def responses(self) -> tuple:
        """results.json's "responses": runs, response tables, anova (sn, mean), optimum, ..."""
        return _view(self._results["responses"])

    @property
    def optimum(self) -> Record:
        """The first response's optimum; ``responses[i].optimum`` for the others."""
        return Record(self._results["responses"][0]["optimum"])

    def summary(self) -> str:
        """The summary that ``qvrfcdoe analyze`` prints."""
        return self._native.summary()

    def verdict(self) -> str:
        """The verdict text (ANOVA, optimum, notes) that ``qvrfcdoe analyze`` prints."""
        return self._native.verdict()

    def predict(self, at) -> Record:
        """Each response's S/N ratio and mean at the settings, as ``qvrfcdoe predict --at``:
        ``{response: {"sn": prediction, "mean": prediction}}``, each prediction as results.json
        writes the optimum's (``predicted``, ``ci``, ``n_eff``, ...) with ``interpolated``, the
        numeric factors set between their tested levels (their effect the polynomial through
        their level means, as the command marks them)."""
        with _python_words():
            native = self._native.predict(_levels_text(at))
        interpolated = list(native.interpolated)
        predictions = {}
        for response, texts in zip(self._results["responses"], native.responses):
            sn, mean = (dict(json.loads(text), interpolated=list(interpolated))
                        for text in texts)
            predictions[response["name"]] = {"sn": sn, "mean": mean}
        return Record(predictions)

    def confirm(self, at, values, response=1) -> Record:
        """A confirmation run at the levels, as ``qvrfcdoe confirm``: the mean and S/N ratio of
        the values of the response (named or numbered from 1) against their confirmation
        intervals (``mean_inside``, ``sn_inside``)."""
        named = _response_key(response, "response")
        numbers_ = []
        for value in values:
            if isinstance(value, (bool, str)) or not isinstance(value, numbers.Real) \
                    or not math.isfinite(value):
                raise Error(f"values: {value!r} is not a finite number")
            numbers_.append(float(value))
        if not numbers_:
            raise Error("values: no value given")
        with _python_words(response="response"):
            return Record(json.loads(self._native.confirm(_levels_text(at), named, numbers_)))

    def write(self, folder, charts="svg,png", html=True) -> list:
        """Writes what ``qvrfcdoe analyze --out folder`` writes, all or none: the engine's
        set-up logs and reports, the verdict, results.json, the charts (formats svg, png, pdf or
        none) and the page report.html. The folder is locked while it is written, as the
        command locks it, and a file analysed is never replaced. Returns the paths written,
        the folder joined with each name, as :meth:`Design.write`."""
        folder = _path(folder, "folder")
        formats = charts if isinstance(charts, str) else ",".join(charts)
        with _python_words():
            names = self._native.write(folder, self._inputs, formats, bool(html))
        return [os.path.join(folder, name) for name in names]

    def chart(self, response=1, kind="main-effects", format="svg"):
        """One chart of a response (named or numbered from 1), drawn in memory as ``write``
        draws it into charts/: kind "main-effects", "pareto", "half-normal", "signal" (a
        dynamic response), "interaction-A-B" or "noise-A-N" as its file is named. An SVG is
        returned as text, a PNG or PDF as bytes."""
        index = self._response_number(response) - 1
        if not isinstance(kind, str) or not isinstance(format, str):
            raise Error(f"chart: kind {kind!r} and format {format!r} are texts")
        with _python_words(charts="format"):
            drawing = self._native.chart(index, kind, format)
        return drawing.decode("utf-8") if format.lower() == "svg" else drawing

    def _repr_html_(self) -> str:
        """The verdict's tables for a notebook: each response's ANOVA of its S/N ratio, with
        p-values, and its optimum."""
        e = self._results["experiment"]
        parts = [f"<div><p><b>{html.escape(e['array'])}</b>: {e['runs']} runs</p>"]
        for response in self._results["responses"]:
            parts.append(_response_html(response))
        parts.append("</div>")
        return "\n".join(parts)

    def tables(self, response=1):
        """The response tables as a pandas DataFrame: a row per factor and level, the level
        means of the S/N ratio, mean and standard deviation (NaN where there is none)."""
        pd = _pandas()
        tables = self._response(response)["response_tables"]
        statistics = list(tables)
        rows = []
        for factor in self._results["experiment"]["factors"]:
            for i, level in enumerate(factor["levels"]):
                rows.append([factor["name"], level] + [
                    _number_or_nan((tables[s] or {}).get(factor["name"], {}).get("levels", [])[i:i + 1])
                    for s in statistics])
        frame = pd.DataFrame(rows, columns=["factor", "level"] + statistics)
        return frame.astype({s: float for s in statistics})

    def anova(self, response=1, statistic="sn"):
        """An ANOVA as a pandas DataFrame, as statsmodels' ``anova_lm`` has it: a row per term,
        then "error" and "total"; NaN where a value does not exist."""
        pd = _pandas()
        tables = self._response(response)["anova"]
        if statistic not in tables or tables[statistic] is None:
            raise Error(f"statistic: {statistic!r} is not one of {', '.join(tables)}")
        table = tables[statistic]
        columns = ["ss", "dof", "ms", "f", "p", "pure_ss", "contribution"]
        rows = [dict(row) for row in table["terms"]]
        rows.append(dict(table["error"], name="error", pooled=False))
        rows.append(dict(table["total"], name="total", pooled=False))
        frame = pd.DataFrame([[row.get(c) for c in columns] for row in rows],
                             index=pd.Index([row["name"] for row in rows], name="term"),
                             columns=columns, dtype=float)
        frame["pooled"] = [bool(row.get("pooled")) for row in rows]
        return frame

    def runs(self):
        """Each response's runs as a pandas DataFrame: response, run, mean, sd, sn and the
        count of observations n; NaN where a run has none."""
        pd = _pandas()
        rows, columns = [], ["mean", "sd", "sn", "n"]
        for response in self._results["responses"]:
            for run in response["runs"]:
                rows.append([response["name"], run["run"]] + [run.get(c) for c in columns])
        frame = pd.DataFrame(rows, columns=["response", "run"] + columns)
        return frame.astype({c: float for c in columns})

    def _response_number(self, response) -> int:
        names = [r["name"] for r in self._results["responses"]]
        if isinstance(response, str):
            if response in names:
                return names.index(response) + 1
            raise Error(f"response: '{response}' is no response of the analysis (its "
                        f"responses: {', '.join(names)})")
        if isinstance(response, (bool, np.bool_)) or not isinstance(response, numbers.Integral) \
                or not 1 <= response <= len(names):
            raise Error(f"response: {response!r} is neither a response's name nor a number "
                        f"from 1 to {len(names)}")
        return int(response)

    def _response(self, response) -> dict:
        return self._results["responses"][self._response_number(response) - 1]

    # An analysis never changes: a copy is itself; equal results are equal analyses.
    def __copy__(self):
        return self

    def __deepcopy__(self, memo):
        return self

    def __eq__(self, other):
        if isinstance(other, Analysis):
            return self._results == other._results
        if isinstance(other, Mapping):
            return self._results == _plain(other)
        return NotImplemented

    __hash__ = None

    def __reduce__(self):
        return (_analysis_again, (self._recipe, self._results))

    def __repr__(self):
        e = self._results["experiment"]
        names = ", ".join(r["name"] for r in self._results["responses"])
        return f"<qvrfcdoe.Analysis {e['array']}: {e['runs']} runs; responses {names}>"


def _pandas():
    try:
        import pandas
    except ImportError:
        raise ImportError("qvrfcdoe's DataFrame views need pandas (pip install pandas); "
                          "to_dict() and the attributes need nothing more") from None
    return pandas


def _number_or_nan(values) -> float:
    """The first of values as a float: NaN for none (an empty list or null)."""
    return math.nan if not values or values[0] is None else float(values[0])


def _cell(value) -> str:
    if value is None:
        return "*"
    if isinstance(value, bool):
        return "yes" if value else ""
    if isinstance(value, float):
        return f"{value:.4g}"
    return html.escape(str(value))


def _response_html(response: dict) -> str:
    """A response's S/N ANOVA and optimum as HTML."""
    columns = ["dof", "ss", "ms", "f", "p", "contribution", "pooled"]
    anova = response["anova"]["sn"]
    rows = list(anova["terms"]) + [dict(anova["error"], name="error"),
                                    dict(anova["total"], name="total")]
    head = "".join(f"<th>{c}</th>" for c in ["term"] + columns)
    body = "".join("<tr>" + "".join(f"<td>{_cell(row.get(c))}</td>" for c in ["name"] + columns)
                   + "</tr>" for row in rows)
    levels = ", ".join(f"{html.escape(str(f))}={html.escape(str(level))}"
                       for f, level in response["optimum"]["levels"].items())
    sn = response["optimum"].get("sn") or {}
    return (f"<h4>{html.escape(response['name'])}: ANOVA of the S/N ratio</h4>"
            f"<table><thead><tr>{head}</tr></thead><tbody>{body}</tbody></table>"
            f"<p>Optimum: {levels}; predicted S/N ratio {_cell(sn.get('predicted'))}</p>")


def _analysis_again(recipe, results) -> Analysis:
    """A pickled analysis: its inputs analysed again with its settings; refused when the
    results differ (a file changed since)."""
    source, observations, experiment, settings = recipe
    analysis = analyze(source, observations, experiment=experiment, **settings)
    if analysis._results != results:
        raise Error(f"an analysis of {source!r} was pickled, and its inputs now give other "
                    f"results (a file changed since)")
    return analysis


def analyze(source, observations=None, *, sn=None, pool=None, alpha=0.05, interactions=None,
            combine="desirability", zeta=0.5, desirability=None, array=None,
            experiment=None, grey_from="sn") -> Analysis:
    """Analyses a quality data file, a filled run sheet, or a :class:`Design` with its
    observations, as ``qvrfcdoe analyze`` does with the options of the same names. Responses
    are named or numbered from 1: ``sn={"Strength": "larger", 2: ("nominal1", 1.2)}``,
    ``pool={1: ["Resin", "Cooling time"], 2: "auto"}`` (or ``pool="auto"``),
    ``desirability={"Strength": {"low": 30, "high": 50}}``; ``combine`` is "desirability" or
    "grey" (with ``zeta``, and ``grey_from`` "sn" or "mean": the grades of the S/N ratios or of
    the run means). Texts are taken as the command's."""
    kept = dict(sn=sn, pool=pool, alpha=alpha, interactions=interactions, combine=combine,
                zeta=zeta, desirability=desirability, array=array, grey_from=grey_from)
    options = _analysis_options(sn, pool, alpha, interactions, combine, zeta, desirability, array,
                                grey_from)
    with _python_words():
        settings = _native.settings(options)
    if isinstance(source, Design):
        if observations is None:
            raise Error("observations: a design is analysed with its observations "
                        "{response: array of runs x values}")
        if experiment is not None:
            raise Error("experiment: a design is its own experiment")
        arrays = source._observation_arrays(observations)
        recipe = (source, dict(zip(source.responses, arrays)), None, kept)
        with _python_words():
            return Analysis(_native.analyze_design(source._experiment, arrays, settings), recipe)
    if observations is not None:
        raise Error("observations: a file holds its own observations")
    path = _path(source, "source")
    experiment_file = "" if experiment is None else _path(experiment, "experiment")
    with _python_words():
        native = _native.analyze_file(path, experiment_file, settings)
    # Analysed again where it was, when unpickled in another folder.
    recipe = (os.path.abspath(path), None,
              os.path.abspath(experiment_file) if experiment_file else None, kept)
    return Analysis(native, recipe, [name for name in (path, experiment_file) if name])


def arrays() -> list:
    """The orthogonal array catalogue, as ``qvrfcdoe arrays`` lists it: one dict an array
    (type, name, display_name, runs, columns, levels per column)."""
    return _native.arrays()


def array(name) -> np.ndarray:
    """The level table of an array (``"L18"``, ``"L16'"``, ``"L16a"`` or a type number):
    runs x columns, levels from 1."""
    return _native.array(str(name))
