// The page's WebAssembly module as the program was built with it (QVRFC_WASM_DIR; the source
// is made by wasm/embed.py): emscripten's loader, the module gzip-compressed in base64, and the
// page's script. Each is empty when no module was built: the page is then the static one.
#pragma once

#include <string>

namespace qvrfc {

const std::string& PageModuleLoader();
const std::string& PageModuleBinary();
const std::string& PageScript();

}  // namespace qvrfc
