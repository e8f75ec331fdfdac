// The "Operar" tab: the program's `operar` run in the module, integer addition and subtraction
// in the five integer systems, and floating-point addition, subtraction and product in the named
// formats with a chosen rounding; its command line and trace shown as the console prints them.
'use strict';

var repbinOperar = (function () {
  var orden, estado;

  function $(id) {
    return document.getElementById(id);
  }

  function flotante() {
    return $('operar-sistema').value === 'flotante';
  }

  // The fields of the system chosen: the width for an integer, the format and rounding in
  // floating point; the product exists only there, so an integer system takes back a sum.
  function actualizar() {
    var fl = flotante();
    $('operar-campo-bits').hidden = fl;
    $('operar-campo-formato').hidden = !fl;
    $('operar-campo-redondeo').hidden = !fl;
    $('operar-por').disabled = !fl;
    if (!fl && $('operar-op').value === 'x') $('operar-op').value = '+';
  }

  // The command line the form describes: operar SYSTEM A OP B and the system's options; only
  // the fields on screen take part.
  function argumentos() {
    var args = ['operar', $('operar-sistema').value, $('operar-a').value.trim(),
      $('operar-op').value, $('operar-b').value.trim()];
    if (flotante()) {
      if ($('operar-formato').value !== '') args.push('-f', $('operar-formato').value);
      if ($('operar-redondeo').value !== '') args.push('--redondeo', $('operar-redondeo').value);
    } else {
      var bits = $('operar-bits').value.trim();
      if (bits !== '') args.push('-b', bits);
    }
    if ($('operar-ampliado').checked) args.push('--ampliado');
    return args;
  }

  // Runs the form's operation; with an operand missing, the tab waits for it (nothing shown).
  function operar(evento) {
    if (evento) evento.preventDefault();
    actualizar();
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
    ['operar-sistema', 'operar-op', 'operar-formato', 'operar-redondeo', 'operar-ampliado']
      .forEach(function (id) {
        $(id).addEventListener('change', function () { operar(); });
      });
    actualizar();
  }

  return { iniciar: iniciar, operar: operar };
})();
