// The "Practicar" tab: a round of `repbin practicar` in the page. The options become the command's
// words; the module draws the round (the same exercises as `repbin ejercicios` with the same
// seed), one at a time as they are asked, judges each answer and writes its record (bindings.cpp:
// repbin_practice_round, repbin_practice_exercise, repbin_practice_verdict,
// repbin_practice_record), so the verdicts, diagnoses and records are the console's own. The
// student's name is kept in the browser (not in the address, which may be shared); the round's
// records are offered as a file for `repbin informe`. Nothing leaves the browser by itself.
'use strict';

var repbinPractica = (function () {
  var pedirRonda, pedirEjercicio, veredicto, registro;  // the module's functions
  var kClaveAlumno = 'repbin-alumno';  // the name's key in the browser's storage
  var ronda;           // the round: {semilla, orden, total}
  var opciones = [];   // the round's command words, --semilla included
  var ejercicio;       // the exercise on screen, as the module gives it
  var actual = 0;      // index of the exercise on screen
  var resultados = []; // per exercise answered: {tipo, titulo, correcta, respondida}
  var registros = [];  // the round's records, one JSON line each, as the module wrote them
  var resuelto = false; // the exercise on screen has its verdict
  var enCurso = false;  // a round is on screen

  function $(id) {
    return document.getElementById(id);
  }

  function elemento(etiqueta, clase, texto) {
    var e = document.createElement(etiqueta);
    if (clase) e.className = clase;
    if (texto !== undefined) e.textContent = texto;
    return e;
  }

  // The command's words for the options chosen; the seed only when one was given.
  function palabras() {
    var args = [];
    var alumno = $('practica-alumno').value.trim();
    if (alumno !== '') args.push('--alumno', alumno);
    var semilla = $('practica-semilla').value.trim();
    if (semilla !== '') args.push('--semilla', semilla);
    var n = $('practica-n').value.trim();
    if (n !== '') args.push('-n', n);
    var tipos = [];
    document.querySelectorAll('input[name="practica-sistema"]:checked').forEach(function (c) {
      tipos.push(c.value);
    });
    if ($('practica-operacion').value !== '') tipos.push($('practica-operacion').value);
    if (tipos.length) args.push('--tipos', tipos.join(','));
    var bits = $('practica-bits').value.trim();
    if (bits !== '') args.push('-b', bits);
    if ($('practica-formato').value !== '') args.push('-f', $('practica-formato').value);
    return args;
  }

  function marcador() {
    var bien = resultados.filter(function (r) { return r.correcta; }).length;
    $('practica-marcador').textContent = 'Ejercicio ' + (actual + 1) + ' de ' +
      ronda.total + ' · Correctas: ' + bien + ' de ' + resultados.length;
  }

  // Draws the exercise `actual` and shows it; a round whose options allow fewer exercises than
  // its count ends there.
  function mostrarEjercicio() {
    var e = JSON.parse(pedirEjercicio(opciones.join('\n'), actual + 1));
    if (e.error) {
      terminar();
      return;
    }
    ejercicio = e;
    resuelto = false;
    marcador();
    $('practica-enunciado').textContent = e.enunciado;
    $('practica-veredicto').replaceChildren();
    $('practica-solucion').hidden = true;
    $('practica-solucion').textContent = 'Solución: ' + e.respuesta + '\n' + e.traza;
    $('practica-entrada').value = '';
    $('practica-entrada').disabled = false;
    $('practica-comprobar').disabled = false;
    $('practica-siguiente').hidden = true;
    $('practica-entrada').focus();
  }

  // The student's pattern drawn as on the conversion tab (app.js): the bits that differ from
  // the solution boxed, the wrong fields marked.
  function dibujo(cadena, e, marcas) {
    var figura = elemento('figure', 'practica-dibujo');
    var caja = elemento('div', 'practica-patron');
    caja.id = 'practica-patron';
    repbinPagina.pintar(caja, cadena, repbinPagina.camposDe({ formato: e.formato }), false,
      e.respuesta, '; difiere de la solución');
    caja.querySelectorAll('.grupo').forEach(function (grupo) {
      var bien = marcas[grupo.dataset.campo];
      grupo.classList.add(bien ? 'campo-bien' : 'campo-mal');
      grupo.querySelector('.nombre-campo').textContent += bien ? ': bien' : ': mal';
    });
    figura.appendChild(caja);
    figura.appendChild(elemento('figcaption', '',
      'Su cadena por campos; recuadrados, los bits que no coinciden con la solución.'));
    return figura;
  }

  // The verdict on the exercise on screen; an empty answer or "?" shows the solution instead.
  function comprobar(evento) {
    evento.preventDefault();
    if (resuelto) return;
    var respuesta = $('practica-entrada').value;
    var limpia = respuesta.trim();
    if (limpia === 'q' || limpia === 'Q') {
      terminar();
      return;
    }
    if (limpia === '' || limpia === '?') {
      verSolucion(limpia);
      return;
    }
    var e = ejercicio;
    var v = JSON.parse(veredicto(opciones.join('\n'), e.numero, respuesta));
    var caja = $('practica-veredicto');
    caja.replaceChildren();
    if (v.error) {
      caja.appendChild(elemento('p', 'practica-mal', v.error));
      return;
    }
    if (v.repetir) {
      // A number where bits are asked: said, not counted; the student answers again.
      caja.appendChild(elemento('p', 'practica-diagnostico', v.diagnostico));
      return;
    }
    caja.appendChild(elemento('p', v.correcta ? 'practica-bien' : 'practica-mal',
      v.correcta ? 'Correcto' : 'Incorrecto'));
    if (!v.correcta) {
      caja.appendChild(elemento('p', 'practica-diagnostico', v.diagnostico));
      if (v.campos && e.formato) caja.appendChild(dibujo(v.cadena, e, v.campos));
    }
    registrar(e.numero, respuesta);
    anotar(e, v.correcta, true);
  }

  // The record of the exercise on screen, kept for the round's file.
  function registrar(numero, respuesta) {
    var linea = registro(opciones.join('\n'), numero, respuesta, ronda.ronda);
    // A record has a state; a refusal has only its message ("error", which a record also has:
    // the mistake's code).
    if (JSON.parse(linea).estado) registros.push(linea);
  }

  // Shows the solution; an exercise without its verdict is left unanswered, recorded with what
  // was typed ("?", or nothing for the button).
  function verSolucion(respuesta) {
    if (!resuelto) {
      var caja = $('practica-veredicto');
      caja.replaceChildren(elemento('p', 'practica-mal', 'Sin responder.'));
      registrar(ejercicio.numero, typeof respuesta === 'string' ? respuesta : '');
      anotar(ejercicio, false, false);
    }
    $('practica-solucion').hidden = false;
  }

  // Counts the exercise on screen and offers the next one.
  function anotar(e, correcta, respondida) {
    resultados.push({ titulo: e.titulo, correcta: correcta, respondida: respondida });
    resuelto = true;
    marcador();
    $('practica-entrada').disabled = true;
    $('practica-comprobar').disabled = true;
    var siguiente = $('practica-siguiente');
    siguiente.textContent = actual + 1 < ronda.total ? 'Siguiente' : 'Ver el resumen';
    siguiente.hidden = false;
    siguiente.focus();
  }

  function siguiente() {
    if (actual + 1 < ronda.total) {
      ++actual;
      mostrarEjercicio();
    } else {
      terminar();
    }
  }

  // The summary by kind, in the order the kinds first came, and the total.
  function terminar() {
    var porTipo = {};
    var orden = [];
    var bien = 0, sinResponder = 0;
    resultados.forEach(function (r) {
      if (!porTipo[r.titulo]) {
        porTipo[r.titulo] = { bien: 0, total: 0 };
        orden.push(r.titulo);
      }
      porTipo[r.titulo].total++;
      if (r.correcta) {
        porTipo[r.titulo].bien++;
        bien++;
      }
      if (!r.respondida) sinResponder++;
    });
    var resumen = $('practica-resumen');
    resumen.replaceChildren(elemento('h2', '', 'Resumen de la ronda'));
    var lista = elemento('ul');
    orden.forEach(function (t) {
      lista.appendChild(elemento('li', '', t + ': ' + porTipo[t].bien + ' de ' + porTipo[t].total));
    });
    resumen.appendChild(lista);
    resumen.appendChild(elemento('p', 'practica-total', 'Total: ' + bien + ' de ' +
      resultados.length + (sinResponder ? ' (' + sinResponder + ' sin responder)' : '')));
    resumen.appendChild(elemento('p', '', 'Semilla ' + ronda.semilla +
      '; para repetir esta ronda en la consola: ' + ronda.orden));
    if (registros.length) resumen.appendChild(descarga());
    $('practica-ronda').hidden = true;
    resumen.hidden = false;
    enCurso = false;
    plegarOpciones(false);
    $('practica-empezar').textContent = 'Otra ronda';
    $('practica-empezar').focus();
    repbinPagina.anotarDireccion();
  }

  // The round's records as a file to download (JSON Lines, as `practicar --registro` writes
  // them), for the teacher's `repbin informe`.
  function descarga() {
    var a = elemento('a', '', 'Descargar el registro de la ronda');
    a.id = 'practica-descargar';
    // A data address: the file is in the link itself, nothing to fetch or to free.
    a.href = 'data:application/jsonl;charset=utf-8,' +
      encodeURIComponent(registros.join('\n') + '\n');
    a.download = 'registro-' + ronda.ronda + '.jsonl';
    var p = elemento('p', '', '');
    p.appendChild(a);
    p.appendChild(document.createTextNode(' (JSON Lines; ' + registros.length +
      (registros.length === 1 ? ' ejercicio' : ' ejercicios') +
      '): repbin informe lo resume para el profesor.'));
    return p;
  }

  // The student's name as the browser keeps it; storage may be refused (private windows).
  function nombreGuardado() {
    try {
      return localStorage.getItem(kClaveAlumno) || '';
    } catch (e) {
      return '';
    }
  }

  // The name kept, in its box when the tab is opened: the browser's storage is not read before
  // (its first reading is slow), nor at all by a page whose practice tab stays closed.
  function ponerNombre() {
    repbinAlVerse('panel-practica', function () {
      $('practica-alumno').value = nombreGuardado();
    });
  }

  function guardarNombre() {
    try {
      localStorage.setItem(kClaveAlumno, $('practica-alumno').value.trim());
    } catch (e) {
      // Not kept: the box still names this round.
    }
  }

  // While a round runs its options fold away, so that the exercise and each verdict stay in
  // sight on a phone; a button shows them again.
  function plegarOpciones(plegar) {
    var boton = $('practica-ver-opciones');
    boton.hidden = !plegar;
    $('practica-opciones').hidden = plegar;
    boton.setAttribute('aria-expanded', 'false');
  }

  function verOpciones() {
    var boton = $('practica-ver-opciones');
    var abrir = $('practica-opciones').hidden;
    $('practica-opciones').hidden = !abrir;
    boton.setAttribute('aria-expanded', abrir ? 'true' : 'false');
    if (abrir) $('practica-empezar').focus();
  }

  // Leaves the round on screen (the page is showing another state): the options again.
  function dejar() {
    enCurso = false;
    $('practica-ronda').hidden = true;
    $('practica-resumen').hidden = true;
    $('practica-error').hidden = true;
    $('practica-empezar').textContent = 'Empezar';
    plegarOpciones(false);
    ponerNombre();  // the form was reset with the address
  }

  function empezar(evento) {
    evento.preventDefault();
    guardarNombre();
    var args = palabras();
    var texto = pedirRonda(args.join('\n'));
    var r = JSON.parse(texto);
    // The seed as the module wrote it: one beyond 2^53 would come back rounded from JSON.parse,
    // and the round it names would not be this one.
    var exacta = /"semilla":(\d+)/.exec(texto);
    if (exacta) r.semilla = exacta[1];
    $('practica-error').hidden = !r.error;
    $('practica-resumen').hidden = true;
    if (r.error) {
      $('practica-error').textContent = r.error;
      $('practica-ronda').hidden = true;
      return;
    }
    ronda = r;
    // Without a seed the module chose one: the form shows it, and the verdicts use it.
    if ($('practica-semilla').value.trim() === '') {
      $('practica-semilla').value = String(r.semilla);
      args = ['--semilla', String(r.semilla)].concat(args);
    }
    opciones = args;
    actual = 0;
    resultados = [];
    registros = [];
    $('practica-orden').textContent = r.orden;
    $('practica-ronda').hidden = false;
    enCurso = true;
    plegarOpciones(true);
    mostrarEjercicio();
    repbinPagina.anotarDireccion();
  }

  function iniciar() {
    pedirRonda = repbinFuncion('repbin_practice_round', 'string', ['string']);
    pedirEjercicio = repbinFuncion('repbin_practice_exercise', 'string', ['string', 'number']);
    veredicto = repbinFuncion('repbin_practice_verdict', 'string', ['string', 'number', 'string']);
    registro = repbinFuncion('repbin_practice_record', 'string',
      ['string', 'number', 'string', 'string']);
    ponerNombre();
    $('practica-alumno').addEventListener('change', guardarNombre);
    $('practica-opciones').addEventListener('submit', empezar);
    $('practica-linea').addEventListener('submit', comprobar);
    $('practica-ver').addEventListener('click', verSolucion);
    $('practica-siguiente').addEventListener('click', siguiente);
    $('practica-ver-opciones').addEventListener('click', verOpciones);
  }

  // Started by app.js with the module.
  return {
    iniciar: iniciar,
    dejar: dejar,
    enCurso: function () { return enCurso; },
  };
})();
