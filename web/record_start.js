// Writes inicio.js, the results of the calls a page opened without a state in its address makes
// into the module at start-up (app.js, repbinFuncion): the module just built runs each call
// here, in order, and the page takes the results from the file instead of calling it.
// Usage: node record_start.js repbin.js repbin.wasm inicio.js
//
// The list is the page's start-up, call for call: the layout of the conversion tab's system, the
// dialogue's first menu and whether it ended; then what the first tab opened draws, the
// conversion tab's example first (its command line, its conversion, its format card and that
// command's status, the layout of the format drawn), then the "Operar" tab's example (its
// command line, the operation). A hidden tab is drawn when first opened (app.js,
// repbinAlVerse), so opening "Operar" first leaves the list there and calls the module. If the
// page's start-up changes, the browser tests find it calling the module before the user acts;
// the list is then brought up to date here.
'use strict';
const fs = require('fs');
const vm = require('vm');

const kInicio = [
  ['repbin_layout', ['representar\nflotante']],
  ['repbin_session', ['']],
  ['repbin_finished', []],
  ['repbin_command_line', ['representar\nflotante\n5.375']],
  ['repbin_convert', ['representar\nflotante\n5.375']],
  ['repbin_command', ['formato\nflotante\n--valor\n5.375\n--json']],
  ['repbin_status', []],
  ['repbin_layout', ['representar\nflotante\n-b\n32\n--exp\n8\n--pos-exp\n1\n--pos-man\n9\n' +
    '--pos-signo\n0\n--sis-exp\nexceso\n--sis-man\nsm\n--norma\n1M\n-z\n127']],
  ['repbin_command_line', ['operar\nc2\n100\n+\n80\n-b\n8']],
  ['repbin_operate', ['operar\nc2\n100\n+\n80\n-b\n8']],
];

const kTipos = {
  repbin_session: ['string', ['string']],
  repbin_finished: ['number', []],
  repbin_command: ['string', ['string']],
  repbin_command_line: ['string', ['string']],
  repbin_convert: ['string', ['string']],
  repbin_layout: ['string', ['string']],
  repbin_status: ['number', []],
  repbin_operate: ['string', ['string']],
};

const [script, wasm, output] = process.argv.slice(2);
const bytes = fs.readFileSync(wasm);

// The engine's script runs as in a page (it was built for one): the module is handed to it
// already read, as loader.js does for a page opened as a file.
const contexto = { console, WebAssembly, TextDecoder, TextEncoder, setTimeout, clearTimeout, performance };
contexto.Module = {
  instantiateWasm(importaciones, arrancar) {
    WebAssembly.instantiate(bytes, importaciones).then(
      (r) => arrancar(r.instance, r.module),
      (error) => { console.error(`record_start.js: ${error}`); process.exit(1); });
    return {};
  },
  onRuntimeInitialized() {
    const registro = kInicio.map(([nombre, args]) => {
      const funcion = contexto.Module.cwrap(nombre, kTipos[nombre][0], kTipos[nombre][1]);
      return [nombre, args, funcion(...args)];
    });
    const lineas = registro.map((llamada) => '  ' + JSON.stringify(llamada));
    fs.writeFileSync(output,
      '// Written by the build (record_start.js): the page\'s start-up calls into the module, ' +
      'with their results.\n' +
      `var repbinInicio = [\n${lineas.join(',\n')},\n];\n`);
  },
};
vm.createContext(contexto);
vm.runInContext(fs.readFileSync(script, 'utf8'), contexto, { filename: script });
