// Writes the WebAssembly module as a script for the page opened as a file (loader.js loads it):
// the module's bytes in base64, handed to the function the loader waits with.
// Usage: node wasm_as_text.js repbin.wasm repbin-wasm.js
'use strict';
const fs = require('fs');

const [input, output] = process.argv.slice(2);
const text = fs.readFileSync(input).toString('base64');
fs.writeFileSync(output, `repbinModuloComoTexto('${text}');\n`);
