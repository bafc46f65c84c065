# The WebAssembly module's build (emcmake): the third-party libraries the layers use, as
# header-only targets. Debian's CMake files of toml++, nlohmann-json and Boost point at
# /usr/include, where the host's C library would shadow emscripten's, and its toml++ is a
# compiled x86 library; so only their own header folders are offered, through links in the
# build folder.
set(QVRFC_WASM_HEADERS ${PROJECT_BINARY_DIR}/wasm-headers CACHE PATH
    "A folder of links to the header-only libraries the module compiles")
set(QVRFC_WASM_HEADER_ROOT /usr/include CACHE PATH
    "Where toml++, nlohmann-json and Boost's headers are installed")
file(MAKE_DIRECTORY ${QVRFC_WASM_HEADERS})
foreach(folder toml++ nlohmann boost)
  if(NOT EXISTS ${QVRFC_WASM_HEADER_ROOT}/${folder})
    message(FATAL_ERROR "${QVRFC_WASM_HEADER_ROOT}/${folder} is missing: install libtomlplusplus-dev, nlohmann-json3-dev and libboost-math-dev (scripts/install-deps does).")
  endif()
  file(CREATE_LINK ${QVRFC_WASM_HEADER_ROOT}/${folder} ${QVRFC_WASM_HEADERS}/${folder} SYMBOLIC)
endforeach()

function(qvrfc_header_only_target name)
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${name} SYSTEM INTERFACE ${QVRFC_WASM_HEADERS})
  target_compile_definitions(${name} INTERFACE ${ARGN})
endfunction()
qvrfc_header_only_target(tomlplusplus::tomlplusplus TOML_HEADER_ONLY=1)
qvrfc_header_only_target(nlohmann_json::nlohmann_json)
qvrfc_header_only_target(Boost::headers)
