# The one output folder writer, shared by the command and the Python module: one lock, one
# refusal of an input that an output would replace. (Named to run after test_module.py, whose
# pages are compared byte for byte with the command's in a process that has drawn none yet.)
import json
import os
import shutil
import subprocess
import threading
import time
from pathlib import Path

import pytest

import qvrfcdoe

PROGRAM = os.environ["QVRFCDOE_PROGRAM"]
DATA = Path(os.environ["QVRFC_DATA_DIR"])
ROUNDS = 40


@pytest.fixture(autouse=True)
def in_temporary_folder(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)


def analysis_files(folder):
    """results.json, the verdict and the engine's reports in folder, the reports without the
    time they were made."""
    def report(name):
        return [line for line in Path(folder, name).read_text().splitlines()
                if not line.startswith("Time =")]
    return (json.loads(Path(folder, "results.json").read_text()),
            Path(folder, "exp-verdict.txt").read_text(), report("exp.log"), report("exp.csv"))


def test_a_command_and_python_writing_one_folder_at_once():
    shutil.copy(DATA / "DOETest1.ipt", "exp.ipt")
    command = [PROGRAM, "analyze", "exp.ipt", "--sn", "1=larger", "--charts", "none",
               "--no-html", "--out", "out"]
    analysis = qvrfcdoe.analyze("exp.ipt", sn={1: "smaller"})
    failures = []

    def run_commands():
        for _ in range(ROUNDS):
            done = subprocess.run(command, capture_output=True, text=True)
            if done.returncode != 0:
                failures.append(done.stderr)

    commands = threading.Thread(target=run_commands)
    commands.start()
    written = []
    for _ in range(ROUNDS):  # spread over the commands' run
        written.append(analysis.write("out", charts="none", html=False))
        time.sleep(0.05)
    commands.join()
    assert failures == []
    assert all(names == written[0] for names in written)

    subprocess.run(command[:-1] + ["cli"], check=True, capture_output=True)
    analysis.write("py", charts="none", html=False)
    assert analysis_files("out") in (analysis_files("cli"), analysis_files("py"))
    assert sorted(os.listdir("out")) == sorted(os.listdir("cli"))


def test_write_refuses_to_replace_its_own_input():
    os.mkdir("d")
    shutil.copy(DATA / "DOETest1.ipt", "d/exp.csv")
    before = Path("d/exp.csv").read_bytes()
    refused = subprocess.run([PROGRAM, "analyze", "d/exp.csv", "--out", "d"],
                             capture_output=True, text=True)
    assert refused.returncode == 1
    with pytest.raises(qvrfcdoe.Error) as error:
        qvrfcdoe.analyze("d/exp.csv").write("d")
    path = os.path.abspath("d/exp.csv")
    # the same message, in Python's words: the folder is write()'s, not --out
    assert str(error.value) == refused.stderr.strip().replace(
        "qvrfcdoe: 'd/exp.csv'", f"'{path}'").replace("--out folder", "folder")
    assert os.listdir("d") == ["exp.csv"]
    assert Path("d/exp.csv").read_bytes() == before
