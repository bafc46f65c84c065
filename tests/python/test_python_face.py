# What Python users expect beyond the command's numbers: the version, notebooks (HTML, charts
# in memory, DataFrames), results that copy, compare and pickle, errors in the parameters'
# words, and unsafe or ambiguous inputs refused before anything is written.
import copy
import math
import os
import pickle
import re
import shutil
import subprocess
from pathlib import Path

import numpy as np
import pytest

import qvrfcdoe

PROGRAM = os.environ["QVRFCDOE_PROGRAM"]
DATA = Path(os.environ["QVRFC_DATA_DIR"])
SHEET = DATA / "moulding" / "runsheet.csv"


@pytest.fixture(autouse=True)
def in_temporary_folder(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)


@pytest.fixture(scope="module")
def analysis():
    return qvrfcdoe.analyze(SHEET, pool={1: "auto"})


@pytest.fixture(scope="module")
def design():
    return qvrfcdoe.read_design(DATA / "moulding" / "experiment.toml")


def test_the_version_is_the_program_s():
    done = subprocess.run([PROGRAM, "--version"], capture_output=True, text=True, check=True)
    assert done.stdout.strip() == "qvrfcdoe " + qvrfcdoe.__version__
    assert re.fullmatch(r"\d+\.\d+\.\d+", qvrfcdoe.__version__)


def test_html_and_charts_in_memory(analysis):
    page = analysis._repr_html_()
    assert page.count("<table>") == 2 and "<th>p</th>" in page
    for term in analysis.responses[0].anova.sn.terms:
        assert f"<td>{term.name}</td>" in page
    written = analysis.write("out", charts="svg,png", html=False)
    for kind, form in [("main-effects", "svg"), ("pareto", "png")]:
        drawn = analysis.chart("Shrinkage", kind, format=form)
        on_disk = Path("out", "charts", f"shrinkage-{kind}.{form}").read_bytes()
        if form == "svg":  # cairo numbers its drawings over the process's life
            drawn, on_disk = (re.sub(rb'id="surface\d+"', b"", text)
                              for text in (drawn.encode(), on_disk))
        assert drawn == on_disk, kind
        assert f"out/charts/shrinkage-{kind}.{form}" in written
    assert analysis.chart().startswith("<?xml") or analysis.chart().startswith("<svg")
    with pytest.raises(qvrfcdoe.Error, match=r"^kind 'signal': the response has no such chart "
                                             r"\(its charts: main-effects, pareto\)$"):
        analysis.chart(1, "signal")
    with pytest.raises(qvrfcdoe.Error, match=r"^format 'svg,png': expected one of svg"):
        analysis.chart(1, "pareto", "svg,png")


def test_dataframes_with_nan_for_missing_numbers(analysis):
    pd = pytest.importorskip("pandas")
    anova = analysis.anova("Strength", "sn")
    terms = analysis.responses[0].anova.sn.terms
    assert list(anova.index) == [t.name for t in terms] + ["error", "total"]
    assert list(anova.columns) == ["ss", "dof", "ms", "f", "p", "pure_ss", "contribution",
                                   "pooled"]
    assert anova.dtypes["p"] == float and anova.dtypes["pooled"] == bool
    for term, (_, row) in zip(terms, anova.iterrows()):
        assert row["ss"] == term.ss
        assert math.isnan(row["p"]) if term.p is None else row["p"] == term.p
    assert math.isnan(anova.loc["total", "ms"])
    tables = analysis.tables(2)
    assert list(tables.columns) == ["factor", "level", "sn", "mean", "sd", "log_variance"]
    first = analysis.responses[1].response_tables.mean["Resin"].levels[0]
    assert tables.iloc[0].tolist()[:2] == ["Resin", "virgin"] and tables.iloc[0]["mean"] == first
    runs = analysis.runs()
    assert len(runs) == 36 and runs["n"].dtype == float
    assert isinstance(analysis.anova(1, "mean"), pd.DataFrame)


def test_results_copy_compare_and_pickle(analysis, design):
    assert analysis == analysis.to_dict() and analysis.optimum == analysis.to_dict()[
        "responses"][0]["optimum"]
    assert copy.deepcopy(analysis.optimum) == analysis.optimum
    assert copy.copy(analysis) is analysis
    again = pickle.loads(pickle.dumps(analysis))
    assert again == analysis and again.verdict() == analysis.verdict()
    assert pickle.loads(pickle.dumps(analysis.responses[0])) == analysis.responses[0]
    assert pickle.loads(pickle.dumps(design)) == design
    observations = {"Strength": np.ones((18, 3)), "Shrinkage": np.full((18, 3), 2.0)}
    of_design = qvrfcdoe.analyze(design, observations)
    assert pickle.loads(pickle.dumps(of_design)) == of_design
    # Unpickled in another folder, from a file that changed since: refused.
    shutil.copytree(DATA / "moulding", "m")
    pickled = pickle.dumps(qvrfcdoe.analyze("m/runsheet.csv"))
    os.mkdir("elsewhere")
    os.chdir("elsewhere")
    assert pickle.loads(pickled) == qvrfcdoe.analyze("../m/runsheet.csv")
    sheet = Path("../m/runsheet.csv")
    sheet.write_bytes(sheet.read_bytes().replace(b"43.4,43.8", b"43.4,44.8", 1))
    with pytest.raises(qvrfcdoe.Error, match="its inputs now give other results"):
        pickle.loads(pickled)


def refused(call, error, message):
    return pytest.param(call, error, message, id=message[:40])


MOULDING = lambda: qvrfcdoe.read_design(DATA / "moulding" / "experiment.toml")  # noqa: E731
ONES = np.ones((18, 3))


@pytest.mark.parametrize("call, error, message", [
    # Errors name the parameters, not the command's options.
    (lambda a: a.predict({"Resin": "recycled"}), qvrfcdoe.Error,
     "at 'Resin=recycled': factor 'Resin' has no level 'recycled'"),
    (lambda a: a.confirm({"Resin": "regrind"}, [math.nan]), qvrfcdoe.Error,
     "values: nan is not a finite number"),
    (lambda a: qvrfcdoe.analyze(SHEET, sn={3: "larger"}), qvrfcdoe.Error, "sn '3=larger': "),
    (lambda a: qvrfcdoe.design({"T": [1, 2]}, {"Y": "larger"}, repeat=0), qvrfcdoe.Error,
     "repeat: 0 is not a count from 1 to 1000"),
    (lambda a: qvrfcdoe.analyze(SHEET, alpha=2), qvrfcdoe.Error, "alpha '2': must lie between"),
    # Paths: a NUL is a ValueError as open() has it; bytes that are not UTF-8 are refused.
    (lambda a: qvrfcdoe.analyze(str(DATA / "DOETest1.ipt") + "\0junk"), ValueError,
     "source: embedded null byte in the path"),
    (lambda a: a.write("out\0evil"), ValueError, "folder: embedded null byte in the path"),
    (lambda a: a.write(b"out\xff"), qvrfcdoe.Error, "folder: the path b'out\\xff' is not UTF-8"),
    (lambda a: a.write(os.fsdecode(b"out\xff")), qvrfcdoe.Error,
     "folder: the path 'out\\udcff' is not UTF-8"),
    (lambda a: MOULDING().write("out\0evil"), ValueError, "folder: embedded null byte"),
    (lambda a: qvrfcdoe.read_design(b"\xfe/experiment.toml"), qvrfcdoe.Error,
     "path: the path b'\\xfe/experiment.toml' is not UTF-8"),
    # Observations: a response given twice, a masked array, a bool key.
    (lambda a: qvrfcdoe.analyze(MOULDING(), {"Strength": ONES, 1: ONES, "Shrinkage": ONES}),
     qvrfcdoe.Error, "observations: the response 'Strength' is given twice (the key 1 names it"),
    (lambda a: qvrfcdoe.analyze(MOULDING(), {"Strength": np.ma.masked_array(ONES),
                                             "Shrinkage": ONES}),
     qvrfcdoe.Error, "observations['Strength']: a masked array is refused"),
    (lambda a: qvrfcdoe.analyze(MOULDING(), {True: ONES, "Shrinkage": ONES}), qvrfcdoe.Error,
     "observations: response True is neither a name nor a number"),
    (lambda a: qvrfcdoe.analyze(SHEET, sn={True: "larger"}), qvrfcdoe.Error,
     "sn: the response True is neither a name nor a number"),
    # A level that is not a number (NaN) is not taken for a text.
    (lambda a: qvrfcdoe.design({"A": [1.0, math.nan]}, {"Y": "larger"}), qvrfcdoe.Error,
     "factors['A']: nan is not a finite number"),
])
def test_inputs_refused_in_python_words(analysis, call, error, message):
    with pytest.raises(error) as raised:
        call(analysis)
    assert str(raised.value).startswith(message)
    assert "--" not in str(raised.value)
    assert os.listdir(".") == []


def test_write_returns_paths_in_the_folder(analysis):
    designed = qvrfcdoe.design({"T": [1, 2]}, {"Y": "larger"}).write(Path("d"))
    assert sorted(designed) == ["d/experiment.toml", "d/runsheet.csv"]
    assert all(Path(p).is_file() for p in analysis.write("a", charts="none", html=False))
