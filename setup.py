"""Builds the extension qvrfcdoe._qvrfcdoe with CMake: the engine, the layers the module uses and
the module itself, for the interpreter running this script (pip's). The layers' shared
libraries go into the package beside the module, which finds them there ($ORIGIN); the
version is the project's one version, include/qvrfc/Version.h's (CMake's project(VERSION))."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = Path(__file__).resolve().parent
# What setuptools writes (its build folders, the package's metadata) stays in the build
# folder, which git ignores, beside the CMake build of the README.
STAGING = SOURCE / "build" / "python-package"


def project_version() -> str:
    """MAJOR.MINOR.PATCH of include/qvrfc/Version.h, as CMakeLists.txt reads it."""
    text = (SOURCE / "include" / "qvrfc" / "Version.h").read_text(encoding="utf-8")
    parts = [re.search(rf"^#define QVRFC_VERSION_{part} ([0-9]+)$", text, re.M)
             for part in ("MAJOR", "MINOR", "PATCH")]
    if not all(parts):
        sys.exit("setup.py: include/qvrfc/Version.h lacks a QVRFC_VERSION_ number")
    return ".".join(part.group(1) for part in parts)


class CMakeBuild(build_ext):
    """Configures, builds and installs into a staging prefix whose library folder is the
    package folder, then copies the package's files from there."""

    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        stage = build / "stage"
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        configure = [
            "cmake", "-S", str(SOURCE), "-B", str(build),
            "-DCMAKE_BUILD_TYPE=Release",
            f"-DPython3_EXECUTABLE={sys.executable}",
            "-DQVRFC_BUILD_PYTHON=ON", "-DQVRFC_BUILD_CLI=OFF", "-DQVRFC_BUILD_TESTS=OFF",
            "-DQVRFC_WERROR=OFF",
            "-DCMAKE_INSTALL_LIBDIR=qvrfcdoe", "-DQVRFC_PYTHON_INSTALL_DIR=.",
        ]
        if shutil.which("ccache"):
            configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "-j", jobs], check=True)
        shutil.rmtree(stage, ignore_errors=True)
        subprocess.run(["cmake", "--install", str(build), "--prefix", str(stage)], check=True,
                       stdout=subprocess.DEVNULL)
        target = Path(self.get_ext_fullpath(ext.name)).resolve().parent
        target.mkdir(parents=True, exist_ok=True)
        for path in (stage / "qvrfcdoe").iterdir():
            # The module, and each library under the name it is loaded by (its soname,
            # lib*.so.MAJOR); the links pointing at it are not needed.
            if path.name.startswith("_qvrfcdoe") or re.fullmatch(r"lib\w+\.so\.\d+", path.name):
                shutil.copyfile(path, target / path.name)


STAGING.mkdir(parents=True, exist_ok=True)
setup(
    version=project_version(),
    options={"build": {"build_base": str(STAGING)}, "egg_info": {"egg_base": str(STAGING)}},
    packages=["qvrfcdoe"],
    package_dir={"": "python"},
    package_data={"qvrfcdoe": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("qvrfcdoe._qvrfcdoe", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
