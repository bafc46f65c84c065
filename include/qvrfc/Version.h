// The project's version, its one home: the build reads it from here (CMake's project(VERSION),
// the libraries' version, the program's --version, pkg-config, qvrfcdoe.__version__). The
// macros give the version of the headers a program was compiled with, qvrfc::Version() that
// of the library it runs with.
#pragma once

#include "qvrfc/common/QVRFCExport.h"

#define QVRFC_VERSION_MAJOR 1
#define QVRFC_VERSION_MINOR 0
#define QVRFC_VERSION_PATCH 0
// "MAJOR.MINOR.PATCH" of the numbers above.
#define QVRFC_VERSION_STRING                \
    QVRFC_VERSION_TEXT(QVRFC_VERSION_MAJOR) \
    "." QVRFC_VERSION_TEXT(QVRFC_VERSION_MINOR) "." QVRFC_VERSION_TEXT(QVRFC_VERSION_PATCH)
#define QVRFC_VERSION_TEXT(number) QVRFC_VERSION_QUOTE(number)
#define QVRFC_VERSION_QUOTE(number) #number
// One number that grows with every release: 10000 * major + 100 * minor + patch.
#define QVRFC_VERSION_NUMBER \
    (10000 * QVRFC_VERSION_MAJOR + 100 * QVRFC_VERSION_MINOR + QVRFC_VERSION_PATCH)

namespace qvrfc {

// "MAJOR.MINOR.PATCH" of the library loaded.
QVRFC_API const char* Version();

}  // namespace qvrfc
