// Where the WebAssembly module comes from. Served from a web host, a worker (compilar.js)
// fetches repbin.wasm and compiles it while it arrives, away from the page's thread, which only
// starts the compiled module. Opened as a file, the browser lets no script read a file beside
// it, so the module comes as text inside a script of its own (repbin-wasm.js), which only that
// case loads: it hands the text to the function below, and the module is decoded and started
// from it.
//
// Runs after app.js (which defines Module), the scripts being deferred in that order, and then
// loads repbin.js (which reads it).
'use strict';

(function () {
  // The module started (its static objects built) in a task of its own, not in the one that
  // instantiated it: two shorter stretches on the page's thread instead of one long one.
  function arrancarDespues(arrancar, instancia, modulo) {
    setTimeout(function () {
      arrancar(instancia, modulo);
    }, 0);
  }

  if (/^https?:$/.test(location.protocol)) {
    // Served: the module is fetched and compiled in a worker (compilar.js), and only started
    // here. Without workers the engine's script fetches it itself; should the worker fail, it is
    // fetched here.
    if (typeof Worker !== 'function' || typeof WebAssembly.compileStreaming !== 'function') return;
    Module.instantiateWasm = function (importaciones, arrancar) {
      var fallo = function (error) {
        document.getElementById('consola').textContent =
          'No se ha podido cargar el programa: ' + error;
      };
      var aqui = function () {
        WebAssembly.instantiateStreaming(fetch('repbin.wasm'), importaciones).then(function (r) {
          arrancarDespues(arrancar, r.instance, r.module);
        }, fallo);
      };
      var trabajador;
      try {
        trabajador = new Worker('compilar.js');
      } catch (e) {
        aqui();
        return {};
      }
      trabajador.onmessage = function (mensaje) {
        trabajador.terminate();
        var modulo = mensaje.data;
        if (!(modulo instanceof WebAssembly.Module)) {
          aqui();
          return;
        }
        WebAssembly.instantiate(modulo, importaciones).then(function (instancia) {
          arrancarDespues(arrancar, instancia, modulo);
        }, fallo);
      };
      trabajador.onerror = function () {
        trabajador.terminate();
        aqui();
      };
      trabajador.postMessage(new URL('repbin.wasm', location.href).href);
      return {};
    };
    return;
  }

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
      arrancarDespues(arrancar, resultado.instance, resultado.module);
    }, function (error) {
      document.getElementById('consola').textContent =
        'No se ha podido cargar el programa: ' + error;
    });
    // The exports arrive later, through arrancar.
    return {};
  };
})();

// The engine's script, fetched while the page was parsed (index.html preloads it), runs in a
// task of its own rather than in the one that ends the parsing of the page.
(function () {
  var guion = document.createElement('script');
  guion.src = 'repbin.js';
  guion.onerror = function () {
    document.getElementById('consola').textContent =
      'No se ha podido cargar el programa: falta repbin.js';
  };
  document.head.appendChild(guion);
})();
