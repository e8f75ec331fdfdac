// Where the WebAssembly module comes from. Served from a web host, the engine's script
// (repbin.js, next) fetches repbin.wasm itself and compiles it while it arrives, away from the
// page's thread. Opened as a file, the browser lets no script read a file beside it, so the
// module comes as text inside a script of its own (repbin-wasm.js), which only that case loads:
// it hands the text to the function below, and the module is decoded and started from it.
//
// Runs after app.js (which defines Module) and before repbin.js (which reads it), the scripts
// being deferred in that order.
'use strict';

(function () {
  if (/^https?:$/.test(location.protocol)) return;

  var texto = new Promise(function (recibir, fallar) {
    window.repbinModuloComoTexto = function (base64) {
      delete window.repbinModuloComoTexto;
      recibir(base64);
    };
    var guion = document.createElement('script');
    guion.src = 'repbin-wasm.js';
    guion.onerror = function () {
      fallar('falta repbin-wasm.js');
    };
    document.head.appendChild(guion);
  });

  Module.instantiateWasm = function (importaciones, arrancar) {
    texto.then(function (base64) {
      var binario = atob(base64);
      var bytes = new Uint8Array(binario.length);
      for (var i = 0; i < binario.length; ++i) bytes[i] = binario.charCodeAt(i);
      return WebAssembly.instantiate(bytes, importaciones);
    }).then(function (resultado) {
      arrancar(resultado.instance, resultado.module);
    }, function (error) {
      document.getElementById('consola').textContent =
        'No se ha podido cargar el programa: ' + error;
    });
    // The exports arrive later, through arrancar.
    return {};
  };
})();
