// Compiles the WebAssembly module away from the page's thread: the page (loader.js) sends the
// module's address, and this worker fetches it, compiles it as it arrives and sends back the
// compiled module (or the error's text). Taking in the bytes of a module streamed on the page's
// thread would cost that thread a long task on a slow phone.
'use strict';

self.onmessage = function (mensaje) {
  WebAssembly.compileStreaming(fetch(mensaje.data)).then(function (modulo) {
    self.postMessage(modulo);
  }, function (error) {
    self.postMessage(String(error));
  });
};
