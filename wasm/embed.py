#!/usr/bin/env python3
"""Writes the C++ source that holds the page's module for report.html: emscripten's loader
(qvrfc.js), the module (qvrfc.wasm, gzip-compressed and base64-encoded, inflated by the
browser's DecompressionStream) and the page's own script (page.js). Without a module folder
every text is empty and the page is the static one.

    embed.py OUTPUT.cpp PAGE.js [MODULE_DIR]
"""
import base64
import gzip
import pathlib
import sys

CHUNK = 60000  # under the 65536 characters a string literal may hold everywhere


def function(name, text):
    count = max(1, (len(text) + CHUNK - 1) // CHUNK)
    pieces = [text[i:i + CHUNK] for i in range(0, len(text), CHUNK)] or ['']
    body = '\n'.join('        R"qvrfc(%s)qvrfc",' % p for p in pieces)
    return ('const std::string& %s() {\n'
            '    static const std::string text = [] {\n'
            '        static const char* const pieces[%d] = {\n%s\n        };\n'
            '        std::string whole;\n'
            '        for (const char* piece : pieces) whole += piece;\n'
            '        return whole;\n'
            '    }();\n'
            '    return text;\n'
            '}\n' % (name, count, body))


def main():
    output, page = sys.argv[1], pathlib.Path(sys.argv[2])
    loader = module = script = ''
    if len(sys.argv) > 3 and sys.argv[3]:
        folder = pathlib.Path(sys.argv[3])
        loader = (folder / 'qvrfc.js').read_text(encoding='utf-8')
        wasm = (folder / 'qvrfc.wasm').read_bytes()
        module = base64.b64encode(gzip.compress(wasm, 9, mtime=0)).decode('ascii')
        script = page.read_text(encoding='utf-8')
    text = ('// Made by wasm/embed.py: the page\'s module for report.html.\n'
            '#include <string>\n\n#include "results/PageModule.h"\n\n'
            'namespace qvrfc {\n\n' + function('PageModuleLoader', loader) + '\n' +
            function('PageModuleBinary', module) + '\n' + function('PageScript', script) +
            '\n}  // namespace qvrfc\n')
    path = pathlib.Path(output)
    if not path.exists() or path.read_text(encoding='utf-8') != text:
        path.write_text(text, encoding='utf-8')


if __name__ == '__main__':
    main()
