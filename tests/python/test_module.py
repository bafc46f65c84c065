# The Python module against the qvrfcdoe program: the same results.json, the same design files,
# the same predictions and the same error messages; observations held in numpy arrays.
import ast
import csv
import json
import math
import os
import re
import subprocess
from pathlib import Path

import numpy as np
import pytest

import qvrfcdoe

PROGRAM = os.environ["QVRFCDOE_PROGRAM"]
DATA = Path(os.environ["QVRFC_DATA_DIR"])
SHEET = DATA / "moulding" / "runsheet.csv"

DESIGN = dict(factors={"Temperature[C]": [150, 170, 190], "Pressure[bar]": [1.5, 2, 2.5],
                       "Catalyst": ["A", "B", "C"]},
              responses={"Yield[%]": "larger", "Purity[%]": "nominal1:99.5"},
              repeat=2, noise={"Batch": ["old", "new"]}, outer="full",
              interactions=["Temperature*Pressure"], randomize=True, seed=11)
DESIGN_OPTIONS = ["--factor", "Temperature[C]=150,170,190", "--factor", "Pressure[bar]=1.5,2,2.5",
                  "--factor", "Catalyst=A,B,C",
                  "--response", "Yield[%]:larger", "--response", "Purity[%]:nominal1:99.5",
                  "--repeat", "2", "--noise", "Batch=old,new", "--outer", "full",
                  "--interaction", "Temperature*Pressure", "--randomize", "--seed", "11"]
DYNAMIC = dict(factors={"Gauge": ["foil", "wire"], "Cure[C]": [60, 90]},
               responses={"Output[mV]": "dynamic:0.5"}, signal={"Load[N]": [10, 20, 30]})
DYNAMIC_OPTIONS = ["--factor", "Gauge=foil,wire", "--factor", "Cure[C]=60,90",
                   "--response", "Output[mV]:dynamic:0.5", "--signal", "Load[N]=10,20,30"]
AT = {"Resin": "regrind", "Melt temperature": 235}


@pytest.fixture(autouse=True)
def in_temporary_folder(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)


def run(*args, status=0):
    done = subprocess.run([PROGRAM, *map(str, args)], capture_output=True, text=True)
    assert done.returncode == status, done.stderr
    return done


def test_arrays_and_array():
    catalogue = qvrfcdoe.arrays()
    assert [a["name"] for a in catalogue][:3] == ["L4", "L8", "L9"]
    l18 = next(a for a in catalogue if a["name"] == "L18")
    assert (l18["runs"], l18["columns"], l18["levels"]) == (18, 8, [2] + [3] * 7)
    l4 = qvrfcdoe.array("L4")
    assert l4.dtype.kind == "i"
    assert l4.tolist() == [[1, 1, 1], [1, 2, 2], [2, 1, 2], [2, 2, 1]]
    assert qvrfcdoe.array("l16a").shape == (16, 5)


@pytest.mark.parametrize("source, options, keywords", [
    (SHEET, [], {}),
    (SHEET, ["--pool", "1=Resin,Cooling time", "--pool", "2=auto", "--alpha", "0.1"],
     dict(pool={1: ["Resin", "Cooling time"], 2: "auto"}, alpha=0.1)),
    (DATA / "DOETest1.ipt", ["--sn", "1=larger", "--pool", "1=B,C"],
     dict(sn={1: "larger"}, pool="1=B,C")),
    (SHEET, ["--combine", "grey", "--zeta", "0.7", "--sn", "Strength=larger"],
     dict(combine="grey", zeta=0.7, sn={"Strength": "larger"})),
    (SHEET, ["--desirability", "Strength=low:30,high:50,importance:2", "--desirability",
             "2=weight:2"],
     dict(desirability={"Strength": {"low": 30, "high": 50, "importance": 2},
                        2: {"weight": 2}})),
])
def test_analysis_is_the_command_results_json(source, options, keywords):
    run("analyze", source, *options, "--charts", "none", "--out", "cli")
    expected = json.loads(Path("cli/results.json").read_text())
    analysis = qvrfcdoe.analyze(source, **keywords)
    assert analysis.to_dict() == expected
    assert analysis.responses[0].anova.sn.to_dict() == expected["responses"][0]["anova"]["sn"]
    assert analysis.optimum.sn.predicted == expected["responses"][0]["optimum"]["sn"]["predicted"]
    assert analysis.experiment.array == expected["experiment"]["array"]


def test_analysis_writes_what_the_command_writes():
    run("analyze", SHEET, "--out", "cli")
    written = qvrfcdoe.analyze(SHEET).write("py")
    cli_files = {str(p.relative_to("cli")) for p in Path("cli").rglob("*") if p.is_file()}
    assert sorted(written) == sorted("py/" + name for name in cli_files - {".qvrfcdoe.lock"})
    for name in ["results.json", "runsheet-verdict.txt", "report.html",
                 "charts/strength-main-effects.svg"]:
        assert Path("py", name).read_bytes() == Path("cli", name).read_bytes(), name


def test_design_writes_what_the_command_writes():
    for keywords, options, suffix in [(DYNAMIC, DYNAMIC_OPTIONS, "-dynamic"),
                                      (DESIGN, DESIGN_OPTIONS, "")]:
        run("design", *options, "--out", "cli" + suffix)
        design = qvrfcdoe.design(**keywords)
        design.write("py" + suffix)
        for name in ["experiment.toml", "runsheet.csv"]:
            assert Path("py" + suffix, name).read_bytes() == \
                Path("cli" + suffix, name).read_bytes(), name
    with open("cli/runsheet.csv", newline="") as sheet:
        records = list(csv.DictReader(sheet))
    assert [int(r["run"]) for r in records] == design.run_order
    rows = design.runsheet()
    assert list(rows[0]) == list(records[0])
    assert rows[0]["Temperature"] == float(records[0]["Temperature"])
    assert rows[0]["Catalyst"] == records[0]["Catalyst"]
    assert design.observation_columns("Purity") == ["Purity Batch=old 1", "Purity Batch=old 2",
                                                     "Purity Batch=new 1", "Purity Batch=new 2"]
    assert design.levels.shape == (27, 3)
    assert design.seed == 11
    # An experiment file edited by hand is replaced only when forced; a workbook on request.
    Path("py/experiment.toml").write_text(Path("py/experiment.toml").read_text() + "# mine\n")
    with pytest.raises(qvrfcdoe.Error, match="with force=True to replace it, or choose another "
                                             "folder$"):
        design.write("py")
    design.write("py", force=True)
    assert not Path("py/experiment.toml").read_text().endswith("# mine\n")
    written = qvrfcdoe.design(**DESIGN, sheet="xlsx").write("xlsx")
    assert [os.path.basename(p) for p in written] == ["runsheet.xlsx", "experiment.toml"]


def sheet_observations(design):
    """The filled run sheet's observations, runs in design order, as numpy arrays."""
    with open(SHEET, newline="", encoding="utf-8-sig") as sheet:
        records = sorted(csv.DictReader(sheet), key=lambda r: int(r["run"]))
    return {name: np.array([[float(r[c]) for c in design.observation_columns(name)]
                            for r in records]) for name in design.responses}


def test_numpy_observations_give_the_run_sheet_analysis():
    design = qvrfcdoe.read_design(DATA / "moulding" / "experiment.toml")
    observations = sheet_observations(design)
    from_sheet = qvrfcdoe.analyze(SHEET, pool={1: "auto"}).to_dict()
    assert qvrfcdoe.analyze(design, observations, pool={1: "auto"}).to_dict() == from_sheet
    # A missing observation (NaN) is an empty cell: a short run, as the sheet reads it.
    observations["Strength[MPa]"] = observations.pop("Strength").copy()
    observations["Strength[MPa]"][4, 2] = np.nan
    short = qvrfcdoe.analyze(design, observations)
    assert short.responses[0].short_runs == (5,)
    assert short.responses[0].runs[4].n == 2


def test_analysis_of_a_design_writes_its_reports():
    design = qvrfcdoe.read_design(DATA / "moulding" / "experiment.toml")
    written = qvrfcdoe.analyze(design, sheet_observations(design)).write("py", charts="none")
    assert sorted(written) == ["py/" + name for name in [
        "DOESetup.log", "QVRFCDOETaguchiMethod.log", "report.html", "results.json",
        "runsheet-analysis.csv", "runsheet-analysis.log", "runsheet-verdict.txt"]]


def number_after(text, label):
    """The first number after label in a line of the command's output."""
    line = next(line for line in text.splitlines() if line.strip().startswith(label))
    return float(line.split(label, 1)[1].split()[0])


# Between tested levels, the polynomial through the level means: 43.209259 for Strength's mean
# at 240 (R's lm(m ~ poly(x, 2))), marked interpolated as the command marks it.
@pytest.mark.parametrize("at, text, interpolated", [
    (AT, "Resin=regrind,Melt temperature=235", ()),
    ({"Melt temperature": 240}, "Melt temperature=240", ("Melt temperature",)),
])
def test_predict_gives_the_command_numbers(at, text, interpolated):
    analysis = qvrfcdoe.analyze(SHEET)
    printed = run("predict", SHEET, "--at", text).stdout
    prediction = analysis.predict(at=at)["Strength"]
    assert prediction.sn.predicted == pytest.approx(number_after(printed, "S/N ratio"), abs=5e-5)
    assert prediction.mean.predicted == pytest.approx(number_after(printed, "mean"), abs=5e-5)
    assert prediction.mean.ci[0] < prediction.mean.predicted < prediction.mean.ci[1]
    assert prediction.mean.interpolated == prediction.sn.interpolated == interpolated
    assert ("(interpolated)" in printed) == bool(interpolated)
    assert analysis.predict(text).to_dict() == analysis.predict(at).to_dict()


@pytest.mark.parametrize("named, numbered", [
    (dict(sn={"Strength": "larger"}), dict(sn={1: "larger"})),
    (dict(pool={"Shrinkage": ["Injection speed"]}), dict(pool=["2=Injection speed"])),
    (dict(desirability={"Shrinkage": {"weight": 2}}), dict(desirability="2=weight:2")),
])
def test_responses_are_named_or_numbered(named, numbered):
    assert qvrfcdoe.analyze(SHEET, **named).to_dict() == \
        qvrfcdoe.analyze(SHEET, **numbered).to_dict()


def test_confirm_gives_the_command_numbers():
    at = "Resin=regrind,Melt temperature=235"
    analysis = qvrfcdoe.analyze(SHEET)
    printed = run("confirm", SHEET, "--at", at, "--values", "43.1,43.5").stdout
    confirmation = analysis.confirm(AT, [43.1, 43.5], response="Strength")
    assert confirmation.mean == pytest.approx(43.3)
    assert confirmation.sn == pytest.approx(number_after(printed, "observed"), abs=5e-5)
    assert confirmation.mean_inside == ("inside the interval" in printed.split("observed")[2])


@pytest.mark.parametrize("call, command", [
    (lambda: qvrfcdoe.design({"T": [1]}, {"Y": "larger"}),
     ["design", "--factor", "T=1", "--response", "Y:larger"]),
    (lambda: qvrfcdoe.design({"T": [1, 2]}, {"Y": "best"}),
     ["design", "--factor", "T=1,2", "--response", "Y:best"]),
    (lambda: qvrfcdoe.design({"T": [1, 2]}, {"Y": "larger"}, array="L5"),
     ["design", "--factor", "T=1,2", "--response", "Y:larger", "--array", "L5"]),
    (lambda: qvrfcdoe.analyze("missing.csv"), ["analyze", "missing.csv"]),
    (lambda: qvrfcdoe.analyze(SHEET, sn={3: "larger"}), ["analyze", SHEET, "--sn", "3=larger"]),
    (lambda: qvrfcdoe.analyze(SHEET, desirability={"Volume": {"low": 1}}),
     ["analyze", SHEET, "--desirability", "Volume=low:1"]),
    (lambda: qvrfcdoe.analyze(SHEET).predict({"Melt temperature": 260}),
     ["predict", SHEET, "--at", "Melt temperature=260"]),
    (lambda: qvrfcdoe.analyze(SHEET).confirm(AT, [43.1], response=3),
     ["confirm", SHEET, "--at", "Resin=regrind,Melt temperature=235", "--values", "43.1",
      "--response", "3"]),
    (lambda: qvrfcdoe.analyze(SHEET).predict({"Resin": "recycled"}),
     ["predict", SHEET, "--at", "Resin=recycled"]),
])
def test_errors_carry_the_command_message(call, command):
    """The command's message, naming the parameters where it names options."""
    expected = subprocess.run([PROGRAM, *map(str, command)], capture_output=True, text=True)
    assert expected.returncode in (1, 2)
    with pytest.raises(qvrfcdoe.Error) as error:
        call()
    assert isinstance(error.value, ValueError)
    words = {"--factor": "factors", "--at": "at", "--sn": "sn", "--desirability": "desirability",
             "--array": "array", "--response 'Y": "responses 'Y", "--values": "values",
             "--response": "response"}
    message = expected.stderr.strip()
    for option, parameter in words.items():
        message = message.replace(option, parameter)
    assert "qvrfcdoe: " + str(error.value) == message


@pytest.mark.parametrize("observations, message", [
    ({"Strength": np.ones((18, 3))}, "observations: no values for the response 'Shrinkage'"),
    ({"Strength": np.ones((18, 2)), "Shrinkage": np.ones((18, 3))},
     "observations['Strength']: expected an array of 18 runs x 3 values"),
    ({"Strength": np.full((18, 3), math.inf), "Shrinkage": np.ones((18, 3))},
     "observations['Strength']: run 1, value 1: inf is not a finite number up to 1e12"),
    ({"Strength": np.full((18, 3), math.nan), "Shrinkage": np.ones((18, 3))},
     "observations: run 1 has no observation of 'Strength'"),
    ({"Hardness": np.ones((18, 3))},
     "observations: 'Hardness' is no response of the design (its responses: Strength, Shrinkage)"),
])
def test_bad_observations_are_refused(observations, message):
    design = qvrfcdoe.read_design(DATA / "moulding" / "experiment.toml")
    with pytest.raises(qvrfcdoe.Error, match="^" + re.escape(message) + "$") as error:
        qvrfcdoe.analyze(design, observations)
    assert (error.value.file, error.value.line) == ("", 0)


def test_an_error_tells_the_place_it_names():
    Path("m").mkdir()
    for name in ("experiment.toml", "runsheet.csv"):
        text = (DATA / "moulding" / name).read_bytes().replace(b"43.4,43.8", b"43.4,abc", 1)
        Path("m", name).write_bytes(text)
    with pytest.raises(qvrfcdoe.Error) as error:
        qvrfcdoe.analyze("m/runsheet.csv")
    assert (error.value.file, error.value.line, error.value.key) == ("m/runsheet.csv", 2,
                                                                     "Strength 2")


def test_a_different_run_sheet_is_not_written_over():
    design = qvrfcdoe.design(**DESIGN)
    Path("py").mkdir()
    Path("py/runsheet.csv").write_text("run,order\n1,1\n")
    with pytest.raises(qvrfcdoe.Error, match="exists and differs from the new run sheet"):
        design.write("py")
    assert not Path("py/experiment.toml").exists()


def test_the_stubs_declare_every_public_name():
    stubs = ast.parse((Path(qvrfcdoe.__file__).parent / "__init__.pyi").read_text())
    declared = {node.name: node for node in stubs.body
                if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    declared.update({node.target.id: node for node in stubs.body
                     if isinstance(node, ast.AnnAssign)})
    assert set(qvrfcdoe.__all__) <= set(declared)
    for cls in (qvrfcdoe.Design, qvrfcdoe.Analysis):
        public = {name for name in vars(cls) if not name.startswith("_")}
        assert public == {node.name for node in declared[cls.__name__].body
                          if isinstance(node, ast.FunctionDef)}, cls.__name__
