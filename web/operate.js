// The "Operar" tab: the program's `operar` (integer addition and subtraction in the five integer
// systems) run in the module, its command line and trace shown as the console prints them.
'use strict';

var repbinOperar = (function () {
  var orden, estado;

  function $(id) {
    return document.getElementById(id);
  }

  // The command line the form describes: operar SYSTEM A OP B [-b N] [--ampliado].
  function argumentos() {
    var args = ['operar', $('operar-sistema').value, $('operar-a').value.trim(),
      $('operar-op').value, $('operar-b').value.trim()];
    var bits = $('operar-bits').value.trim();
    if (bits !== '') args.push('-b', bits);
    if ($('operar-ampliado').checked) args.push('--ampliado');
    return args;
  }

  // Runs the form's operation; with an operand missing, the tab waits for it (nothing shown).
  function operar(evento) {
    if (evento) evento.preventDefault();
    if ($('operar-a').value.trim() === '' || $('operar-b').value.trim() === '') {
      $('operar-orden').textContent = '';
      $('operar-resultado').textContent = '';
      return;
    }
    var args = argumentos();
    $('operar-orden').textContent = 'repbin ' + args.map(function (a) {
      return /^[-+.\w]+$/.test(a) ? a : "'" + a.replace(/'/g, "'\\''") + "'";
    }).join(' ');
    $('operar-resultado').textContent = orden(args.join('\n'));
    $('operar-resultado').dataset.estado = String(estado());
    repbinPagina.anotarDireccion();
  }

  // Started by app.js with the module.
  function iniciar() {
    orden = Module.cwrap('repbin_command', 'string', ['string']);
    estado = Module.cwrap('repbin_status', 'number', []);
    $('operar-formulario').addEventListener('submit', operar);
    ['operar-sistema', 'operar-op', 'operar-ampliado'].forEach(function (id) {
      $(id).addEventListener('change', function () { operar(); });
    });
  }

  return { iniciar: iniciar, operar: operar };
})();
