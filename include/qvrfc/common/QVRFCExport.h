// Symbol export for the QVRFCDOEEngine shared library.
// The library is built with hidden visibility; only what carries QVRFC_API is exported.
#pragma once

#if defined(_WIN32)
#if defined(QVRFCDOEENGINE_BUILD)
#define QVRFC_API __declspec(dllexport)
#else
#define QVRFC_API __declspec(dllimport)
#endif
#else
#define QVRFC_API __attribute__((visibility("default")))
#endif
