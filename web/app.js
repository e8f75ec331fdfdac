// The page's behaviour: the dialogue as a console and the one-conversion form, both on the
// functions the WebAssembly module exports (bindings.cpp).
//
// The dialogue keeps the answers typed so far and runs the session again from the start with
// all of them after each new one: the engine is deterministic and a session is short, so the
// program never waits for input. The module returns what the session printed up to the question
// that found no answer; each answer is shown where it was asked for, in an element of class
// "respuesta", so the console's text without those elements is exactly the program's output.
'use strict';

var Module = {
  onRuntimeInitialized: function () {
    repbinPagina.iniciar();
  },
};

var repbinPagina = (function () {
  var sesion, terminada, orden, estado;
  var respuestas = [];  // answers typed so far, one line each
  var posiciones = [];  // where each answer was typed, as a length of the program's text
  var texto = '';       // what the session printed up to its current question

  function $(id) {
    return document.getElementById(id);
  }

  function avisar(mensaje) {
    $('aviso').textContent = mensaje;
  }

  // Runs the session on the answers and redraws the console.
  function reproducir() {
    var entrada = respuestas.map(function (r) { return r + '\n'; }).join('');
    texto = sesion(entrada);
    var consola = $('consola');
    var trozos = document.createDocumentFragment();
    var desde = 0;
    respuestas.forEach(function (respuesta, i) {
      trozos.appendChild(document.createTextNode(texto.slice(desde, posiciones[i])));
      var span = document.createElement('span');
      span.className = 'respuesta';
      span.textContent = respuesta + '\n';
      trozos.appendChild(span);
      desde = posiciones[i];
    });
    trozos.appendChild(document.createTextNode(texto.slice(desde)));
    consola.replaceChildren(trozos);
    consola.scrollTop = consola.scrollHeight;

    var fin = terminada() !== 0;
    $('entrada').disabled = fin;
    $('enviar').disabled = fin;
    if (fin) {
      avisar('La sesión ha terminado. Pulse «Nueva sesión» para empezar otra.');
      $('nueva').focus();
    }
  }

  function nuevaSesion() {
    respuestas = [];
    posiciones = [];
    avisar('');
    reproducir();
    $('entrada').value = '';
    $('entrada').focus();
  }

  function responder(evento) {
    evento.preventDefault();
    var campo = $('entrada');
    if (campo.disabled) return;
    posiciones.push(texto.length);
    respuestas.push(campo.value);
    campo.value = '';
    reproducir();
  }

  function copiar() {
    var transcripcion = $('consola').textContent;
    var hecho = function () { avisar('Transcripción copiada.'); };
    var aMano = function () {
      // Without the asynchronous clipboard (some browsers refuse it to file:// pages), the
      // console's text is selected and copied the old way.
      var seleccion = window.getSelection();
      var rango = document.createRange();
      rango.selectNodeContents($('consola'));
      seleccion.removeAllRanges();
      seleccion.addRange(rango);
      var ok = false;
      try {
        ok = document.execCommand('copy');
      } catch (e) {
        ok = false;
      }
      avisar(ok ? 'Transcripción copiada.' : 'Texto seleccionado: cópielo con Ctrl+C.');
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(transcripcion).then(hecho, aMano);
    } else {
      aMano();
    }
  }

  // Tabs: a click, Enter or Space selects one; the arrow keys move between them.
  function elegirPestana(pestana) {
    document.querySelectorAll('[role="tab"]').forEach(function (otra) {
      var elegida = otra === pestana;
      otra.setAttribute('aria-selected', elegida ? 'true' : 'false');
      otra.tabIndex = elegida ? 0 : -1;
      $(otra.getAttribute('aria-controls')).hidden = !elegida;
    });
    pestana.focus();
  }

  function prepararPestanas() {
    var pestanas = Array.prototype.slice.call(document.querySelectorAll('[role="tab"]'));
    pestanas.forEach(function (pestana, i) {
      pestana.addEventListener('click', function () { elegirPestana(pestana); });
      pestana.addEventListener('keydown', function (evento) {
        var paso = evento.key === 'ArrowRight' ? 1 : evento.key === 'ArrowLeft' ? -1 : 0;
        if (paso === 0) return;
        evento.preventDefault();
        elegirPestana(pestanas[(i + paso + pestanas.length) % pestanas.length]);
      });
    });
  }

  // The command line the form stands for, as a list of arguments.
  function argumentos() {
    var args = [$('operacion').value, $('sistema').value, $('dato').value.trim()];
    var opcion = function (nombre, id) {
      var valor = $(id).value.trim();
      if (valor !== '') args.push(nombre, valor);
    };
    opcion('-b', 'bits');
    opcion('-z', 'exceso');
    if ($('sistema').value === 'flotante') {
      opcion('-f', 'formato');
      opcion('--exp', 'exp');
      opcion('--pos-exp', 'pos-exp');
      opcion('--pos-man', 'pos-man');
      opcion('--pos-signo', 'pos-signo');
      opcion('--sis-exp', 'sis-exp');
      opcion('--sis-man', 'sis-man');
      opcion('--norma', 'norma');
      if ($('valor').checked && $('operacion').value === 'representar') args.push('--valor');
    }
    if ($('ampliado').checked) args.push('--ampliado');
    return args;
  }

  function actualizarFormulario() {
    var representar = $('operacion').value === 'representar';
    var flotante = $('sistema').value === 'flotante';
    $('etiqueta-dato').textContent = representar ? 'Valor' : 'Cadena de bits';
    $('coma-flotante').hidden = !flotante;
    $('valor').disabled = !representar;
  }

  function convertir(evento) {
    evento.preventDefault();
    var args = argumentos();
    $('orden').textContent = 'repbin ' + args.map(function (a) {
      return /^[-+.\w]+$/.test(a) ? a : "'" + a.replace(/'/g, "'\\''") + "'";
    }).join(' ');
    $('resultado').textContent = orden(args.join('\n'));
    $('resultado').dataset.estado = String(estado());
  }

  function iniciar() {
    sesion = Module.cwrap('repbin_session', 'string', ['string']);
    terminada = Module.cwrap('repbin_finished', 'number', []);
    orden = Module.cwrap('repbin_command', 'string', ['string']);
    estado = Module.cwrap('repbin_status', 'number', []);
    $('linea').addEventListener('submit', responder);
    $('nueva').addEventListener('click', nuevaSesion);
    $('copiar').addEventListener('click', copiar);
    $('formulario').addEventListener('submit', convertir);
    $('operacion').addEventListener('change', actualizarFormulario);
    $('sistema').addEventListener('change', actualizarFormulario);
    prepararPestanas();
    actualizarFormulario();
    nuevaSesion();
  }

  return { iniciar: iniciar };
})();
