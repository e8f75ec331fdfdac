// The page's behaviour: the dialogue as a console and the one-conversion form with the picture
// of its result, all on the functions the WebAssembly module exports (bindings.cpp).
//
// The dialogue keeps the answers typed so far and runs the session again from the start with
// all of them after each new one: the engine is deterministic and a session is short, so the
// program never waits for input. The module returns what the session printed up to the question
// that found no answer; each answer is shown where it was asked for, in an element of class
// "respuesta", so the console's text without those elements is exactly the program's output.
//
// The scripts load deferred, the module last: the page paints first and comes alive when the
// module is ready. What the page shows is kept in its address (state.js), so a link restores it.
'use strict';

var Module = {
  // The page's controls, the other tabs', the view the address asks for (with the "Operar"
  // example), and last the dialogue's first menu, which opens its input line: once that line
  // can be used, the whole page can. Each step is a task of its own, so that the page answers
  // input in between rather than in one long stretch. The order is that of the calls inicio.js
  // recorded.
  onRuntimeInitialized: function () {
    repbinEnTareas([
      repbinPagina.iniciar,
      function () {
        repbinPractica.iniciar();
        repbinOperar.iniciar();
      },
      function () {
        repbinPagina.abrir();
        repbinOperar.ejemplo();
      },
      repbinPagina.nuevaSesion,
    ]);
  },
};

// Runs the functions one after another, each in a task of its own (a timer's), the first one
// too: the task that calls this one ends first.
function repbinEnTareas(pasos) {
  var i = 0;
  var siguiente = function () {
    if (i >= pasos.length) return;
    setTimeout(function () {
      pasos[i++]();
      siguiente();
    }, 0);
  };
  siguiente();
}

// A tab's view is drawn while the tab is on screen: asked for while its panel is hidden, the
// drawing waits (the latest one asked for each panel) until the tab is chosen. The page then
// starts by drawing the tab in view alone, and a hidden tab costs nothing until it is opened.
var repbinAlVerse = (function () {
  var pendientes = {};  // panel id -> the drawing it waits for
  function dibujarAlVerse(panel, dibujo) {
    if (document.getElementById(panel).hidden) {
      pendientes[panel] = dibujo;
      return;
    }
    delete pendientes[panel];
    dibujo();
  }
  // The panel is now on screen: the drawing it waited for, if any.
  dibujarAlVerse.visto = function (panel) {
    var dibujo = pendientes[panel];
    delete pendientes[panel];
    if (dibujo) dibujo();
  };
  return dibujarAlVerse;
})();

// Every function of the module goes through repbinFuncion(name, returns, argument types), which
// takes Module.cwrap's arguments. A page opened without a state in its address makes the same
// calls at start-up every time (the dialogue's first menu, the example of the conversion tab,
// its card, the example of the "Operar" tab); the build runs them once in the same module and
// ships them with their results in inicio.js (repbinInicio: [name, arguments, result], in
// order). While the page's calls follow that list, each gets its recorded result and the module
// is not called, so the start-up neither compiles nor runs the module's code on the page's
// thread. The first call that differs, or any call once the list is used up, ends it for good,
// and the module is brought where those calls would have left it (a command's status, whether
// the session ended): the calls taken from the list run first, silently and in order, then the
// new one. repbinLlamadas counts the calls that reached the module.
var repbinLlamadas = 0;
var repbinFuncion = (function () {
  var lista = location.hash === '' && window.repbinInicio ? window.repbinInicio : [];
  var tomadas = 0;      // calls answered from the list
  var acabada = false;  // the list no longer answers
  var reales = {};      // each function as Module.cwrap makes it, by name
  var tipos = {};       // its types, for cwrap when first called

  function llamar(nombre, args) {
    if (!reales[nombre]) reales[nombre] = Module.cwrap(nombre, tipos[nombre][0], tipos[nombre][1]);
    ++repbinLlamadas;
    return reales[nombre].apply(null, args);
  }

  return function (nombre, devuelve, argumentos) {
    tipos[nombre] = [devuelve, argumentos];
    return function () {
      var args = Array.prototype.slice.call(arguments);
      if (!acabada) {
        var grabada = lista[tomadas];
        if (grabada && grabada[0] === nombre && JSON.stringify(grabada[1]) === JSON.stringify(args)) {
          ++tomadas;
          return grabada[2];
        }
        acabada = true;
        lista.slice(0, tomadas).forEach(function (hecha) { llamar(hecha[0], hecha[1]); });
      }
      return llamar(nombre, args);
    };
  };
})();

// Served from a web host, the page keeps a copy of itself (sw.js) and opens without a
// connection; opened as a file it needs none.
if ('serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
  // Registered in a task of its own once the page has loaded, apart from the load event's.
  window.addEventListener('load', function () {
    setTimeout(registrarCopia, 0);
  });
}

function registrarCopia() {
  navigator.serviceWorker.register('sw.js').then(function (registro) {
    // A new version installed while this one is open: said once, taken on the next load.
    registro.addEventListener('updatefound', function () {
      var nuevo = registro.installing;
      if (!nuevo || !navigator.serviceWorker.controller) return;
      nuevo.addEventListener('statechange', function () {
        if (nuevo.state !== 'activated') return;
        var aviso = document.getElementById('aviso-enlace');
        if (aviso) aviso.textContent = 'Hay una versión nueva: se verá al recargar la página.';
      });
    });
  }, function () {
    // Without the copy the page works as before, online.
  });
}

var repbinPagina = (function () {
  var sesion, terminada, orden, estado, conversion, disposicion, lineaDeOrden;
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

  // Tabs: a click, Enter or Space selects one; the arrow keys move between them. A tab still
  // hidden (a view not there yet) is skipped.
  function elegirPestana(pestana, sinFoco) {
    document.querySelectorAll('[role="tab"]').forEach(function (otra) {
      var elegida = otra === pestana;
      otra.setAttribute('aria-selected', elegida ? 'true' : 'false');
      otra.tabIndex = elegida ? 0 : -1;
      $(otra.getAttribute('aria-controls')).hidden = !elegida;
    });
    repbinAlVerse.visto(pestana.getAttribute('aria-controls'));
    if (!sinFoco) pestana.focus();
    anotarDireccion();
  }

  function prepararPestanas() {
    var todas = Array.prototype.slice.call(document.querySelectorAll('[role="tab"]'));
    todas.forEach(function (pestana) {
      pestana.addEventListener('click', function () { elegirPestana(pestana); });
      pestana.addEventListener('keydown', function (evento) {
        var paso = evento.key === 'ArrowRight' ? 1 : evento.key === 'ArrowLeft' ? -1 : 0;
        if (paso === 0) return;
        evento.preventDefault();
        var pestanas = todas.filter(function (p) { return !p.hidden; });
        var i = pestanas.indexOf(pestana);
        elegirPestana(pestanas[(i + paso + pestanas.length) % pestanas.length]);
      });
    });
  }

  // ---- The address -------------------------------------------------------------------------
  var listo = false;      // the module is ready and the first state drawn
  var aplicando = false;  // a state from the address is being put on the page

  var kIdsConversion = ['operacion', 'sistema', 'dato', 'bits', 'exceso', 'fraccion', 'formato',
    'exp', 'pos-exp', 'pos-man', 'pos-signo', 'sis-exp', 'sis-man', 'norma'];
  var kCasillasConversion = ['ampliado', 'valor', 'ver-s'];
  var kIdsPractica = ['practica-operacion', 'practica-bits', 'practica-formato', 'practica-n',
    'practica-semilla'];
  var kIdsOperar = ['operar-sistema', 'operar-a', 'operar-op', 'operar-b', 'operar-bits', 'operar-exceso',
    'operar-formato', 'operar-redondeo'];

  // Whether a field is out of use: inside a part of its form that is hidden (a tab that is not
  // on screen still keeps its fields).
  function apartado(campo) {
    return campo.closest('[hidden]:not([role="tabpanel"])') !== null;
  }

  // A list's choice when the page opens.
  function eleccionInicial(lista) {
    var inicial = Array.prototype.filter.call(lista.options, function (o) {
      return o.defaultSelected;
    })[0] || lista.options[0];
    return inicial.value;
  }

  function pestanaElegida() {
    var elegida = document.querySelector('[role="tab"][aria-selected="true"]');
    return elegida ? elegida.id.replace(/^pestana-/, '') : 'dialogo';
  }

  // What the page shows, as the form's values: only the fields that take part in the command
  // line, so a hidden field's old value never travels in a link.
  function estadoActual() {
    var campos = {};
    var usados = opcionesFormato(true);
    kIdsConversion.forEach(function (id) {
      var valor = $(id).value.trim();
      var opcion = { bits: '-b', exceso: '-z', formato: '-f', exp: '--exp' }[id] || '--' + id;
      var usado = id === 'operacion' || id === 'sistema' || id === 'dato' ||
        usados.indexOf(opcion) >= 0;
      if (usado && valor !== '') campos[id] = id === 'dato' ? $(id).value : valor;
    });
    ['ampliado', 'valor'].forEach(function (id) {
      if ($(id).checked && !$(id).disabled && !apartado($(id))) campos[id] = true;
    });
    if ($('ver-s').checked) campos['ver-s'] = true;
    campos['practica-sistemas'] = [];
    document.querySelectorAll('input[name="practica-sistema"]:checked').forEach(function (c) {
      campos['practica-sistemas'].push(c.value);
    });
    kIdsPractica.forEach(function (id) {
      var valor = $(id).value.trim();
      if (valor !== $(id).defaultValue) campos[id] = valor;
    });
    // The operation's fields as typed, those of the system chosen alone; its lists only when
    // changed.
    kIdsOperar.forEach(function (id) {
      var valor = $(id).value.trim();
      var inicial = $(id).tagName === 'SELECT' ? eleccionInicial($(id)) : '';
      if (valor !== inicial && !apartado($(id))) campos[id] = valor;
    });
    if ($('operar-ampliado').checked) campos['operar-ampliado'] = true;
    return {
      pestana: pestanaElegida(),
      campos: campos,
      ronda: window.repbinPractica !== undefined && repbinPractica.enCurso(),
    };
  }

  var campoTecleado = null;  // the text field whose typing made the history's current entry

  // Writes the state into the address; a new state is a new entry of the history, so Back
  // returns to the one before. Typing in one field (`tecleado`, its id) makes one entry, which
  // each pause of the typing rewrites: Back returns to the state before the field was touched,
  // not to every prefix of what was typed.
  function anotarDireccion(sustituir, tecleado) {
    if (!listo || aplicando) return;
    var nueva = '#' + repbinDireccion.escribir(estadoActual());
    if (nueva === location.hash) return;
    if (tecleado && tecleado === campoTecleado) sustituir = true;
    campoTecleado = tecleado || null;
    try {
      if (sustituir) {
        history.replaceState(null, '', nueva);
      } else {
        history.pushState(null, '', nueva);
      }
    } catch (e) {
      // A browser that refuses to change a file:// page's address: the page works as before.
    }
  }

  // Puts the state of an address on the page: the forms, the tab, the conversion and, if one
  // was running, the practice round from its first exercise.
  function aplicarEstado(estado) {
    var c = estado.campos;
    aplicando = true;
    $('formulario').reset();
    var poner = function (id, valor) {
      var campo = $(id);
      if (valor === undefined) return;
      if (campo.tagName === 'SELECT' && !Array.prototype.some.call(campo.options, function (o) {
        return o.value === valor;
      })) {
        return;  // a word the list does not have: its first choice stays
      }
      campo.value = valor;
    };
    if (c.sistema === undefined && c.dato === undefined) {
      // No conversion in the address: the example the tab opens with.
      c = Object.assign({ sistema: 'flotante', dato: '5.375' }, c);
    }
    kIdsConversion.forEach(function (id) { poner(id, c[id]); });
    kCasillasConversion.forEach(function (id) { $(id).checked = c[id] === true; });
    $('a-medida').open = ['exp', 'pos-exp', 'pos-man', 'pos-signo', 'sis-exp', 'sis-man', 'norma']
      .some(function (id) { return c[id] !== undefined; });
    $('dibujo').classList.toggle('con-s', $('ver-s').checked);
    sondear();
    actualizarFormulario();
    repbinAlVerse('panel-conversion', function () {
      if ($('dato').value.trim() !== '') {
        convertir();
      } else {
        $('orden').textContent = '';
        $('resultado').textContent = '';
        dibujar(null);
      }
    });

    $('practica-opciones').reset();
    var sistemas = c['practica-sistemas'] || [];
    document.querySelectorAll('input[name="practica-sistema"]').forEach(function (casilla) {
      casilla.checked = sistemas.indexOf(casilla.value) >= 0;
    });
    kIdsPractica.forEach(function (id) { poner(id, c[id]); });
    if (window.repbinPractica !== undefined) repbinPractica.dejar();

    $('operar-formulario').reset();
    kIdsOperar.forEach(function (id) { poner(id, c[id]); });
    $('operar-ampliado').checked = c['operar-ampliado'] === true;
    if (window.repbinOperar !== undefined) repbinOperar.operar();

    var pestana = $('pestana-' + estado.pestana);
    if (!pestana || pestana.getAttribute('role') !== 'tab' || pestana.hidden) {
      pestana = $('pestana-dialogo');
    }
    elegirPestana(pestana, true);
    if (estado.ronda) $('practica-opciones').requestSubmit();
    aplicando = false;
  }

  function copiarEnlace() {
    anotarDireccion();
    var enlace = location.href;
    var aviso = function (texto) { $('aviso-enlace').textContent = texto; };
    var aMano = function () {
      aviso('Copie el enlace de la barra de direcciones.');
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(enlace).then(function () { aviso('Enlace copiado.'); }, aMano);
    } else {
      aMano();
    }
    clearTimeout(copiarEnlace.espera);
    copiarEnlace.espera = setTimeout(function () { aviso(''); }, 4000);
  }

  function prepararDireccion() {
    $('copiar-enlace').addEventListener('click', copiarEnlace);
    window.addEventListener('popstate', function () {
      aplicarEstado(repbinDireccion.leer(location.hash));
    });
  }

  // Long numbers break only between groups of digits: a <wbr> every three digits counted from
  // the point (every four hexadecimal digits from the right), so a value never wraps in the
  // middle of a group. The text stays the program's, character for character.
  function escribirNumeros(elemento, texto) {
    var trozos = document.createDocumentFragment();
    var partes = String(texto).split(/(0x[0-9A-Fa-f]+|\d+(?:\.\d+)?)/);
    partes.forEach(function (parte, i) {
      if (i % 2 === 0 || parte.length <= 6) {
        if (parte !== '') trozos.appendChild(document.createTextNode(parte));
        return;
      }
      var grupos = [];
      if (/^0x/.test(parte)) {
        var digitos = parte.slice(2);
        var primero = digitos.length % 4 || 4;
        grupos.push('0x' + digitos.slice(0, primero));
        for (var j = primero; j < digitos.length; j += 4) grupos.push(digitos.slice(j, j + 4));
      } else {
        var punto = parte.indexOf('.');
        var entera = punto < 0 ? parte : parte.slice(0, punto);
        var primera = entera.length % 3 || 3;
        grupos.push(entera.slice(0, primera));
        for (var k = primera; k < entera.length; k += 3) grupos.push(entera.slice(k, k + 3));
        if (punto >= 0) {
          var fraccion = parte.slice(punto + 1);
          grupos[grupos.length - 1] += '.' + fraccion.slice(0, 3);
          for (var m = 3; m < fraccion.length; m += 3) grupos.push(fraccion.slice(m, m + 3));
        }
      }
      grupos.forEach(function (grupo, g) {
        if (g > 0) trozos.appendChild(document.createElement('wbr'));
        trozos.appendChild(document.createTextNode(grupo));
      });
    });
    elemento.replaceChildren(trozos);
  }

  // ---- One conversion ----------------------------------------------------------------------
  // The value, the trace and the layout always come from the program: each conversion runs the
  // command line once in the module, which gives the trace and the JSON object together, and
  // the layout (its fields, each bit's weight, the Spanish labels) comes described from the
  // module too. The page only draws what they say.

  var kPausa = 300;  // ms without typing before a live conversion
  var tecleando = null;  // the text field whose typing asked for the conversion under way
  var espera = 0;
  var dibujado = null;  // the JSON object of the conversion drawn
  var formato = null;   // the program's description of the layout the options give, or null

  // The program's description of a layout (repbin_layout): its fields with each bit's weight and
  // the Spanish labels, and how far the value typed so far has come. A layout without a value is
  // kept by its arguments, since the same layouts are drawn again and again.
  var descripciones = {};
  function describir(args, guardar) {
    var clave = args.join('\n');
    if (descripciones.hasOwnProperty(clave)) return descripciones[clave];
    var una;
    try {
      una = JSON.parse(disposicion(clave));
    } catch (e) {
      una = { estado: 2, formato: null, escritos: null };
    }
    if (guardar) descripciones[clave] = una;
    return una;
  }

  // The module's answer to one conversion. An integer's value beyond 2^53 (a wide natural) is
  // kept as the program wrote it, digit by digit.
  function leerConversion(texto) {
    try {
      var una = JSON.parse(texto);
      var json = una.resultado;
      var exacto = /"valor":(-?\d+)[,}]/.exec(texto);
      if (json && !json.formato && exacto && !Number.isSafeInteger(json.valor)) json.valor = exacto[1];
      return una;
    } catch (e) {
      return { traza: 'No se pudo leer la respuesta del módulo.', estado: 2, resultado: null };
    }
  }

  function flotante() {
    return $('sistema').value === 'flotante';
  }

  function interpretando() {
    return $('operacion').value === 'interpretar';
  }

  // Whether the system chosen takes fraction bits (fixed point): its option says so.
  function conFraccion() {
    var elegida = $('sistema').selectedOptions[0];
    return Boolean(elegida && elegida.hasAttribute('data-fraccion'));
  }

  // The layout options, in the order the program applies them: a named format first, so that
  // the fields typed after it change it; `conExceso` adds the excess and the fraction bits typed,
  // which the layout's probe leaves out.
  function opcionesFormato(conExceso) {
    var args = [];
    var opcion = function (nombre, id) {
      var valor = $(id).value.trim();
      if (valor !== '') args.push(nombre, valor);
    };
    if (flotante()) opcion('-f', 'formato');
    opcion('-b', 'bits');
    if (flotante()) opcion('--exp', 'exp');
    if (conExceso && !$('campo-exceso').hidden) opcion('-z', 'exceso');
    if (conExceso && conFraccion()) opcion('--fraccion', 'fraccion');
    if (flotante()) {
      opcion('--pos-exp', 'pos-exp');
      opcion('--pos-man', 'pos-man');
      opcion('--pos-signo', 'pos-signo');
      opcion('--sis-exp', 'sis-exp');
      opcion('--sis-man', 'sis-man');
      opcion('--norma', 'norma');
    }
    return args;
  }

  // The command line the form stands for, as a list of arguments.
  function argumentos() {
    var args = [$('operacion').value, $('sistema').value, $('dato').value.trim()];
    args = args.concat(opcionesFormato(true));
    if (flotante() && $('valor').checked && !interpretando()) args.push('--valor');
    if ($('ampliado').checked) args.push('--ampliado');
    return args;
  }

  // Asks the program what layout the options give (without the excess typed), and shows it as
  // the empty fields' placeholders.
  function sondear() {
    formato = describir(['representar', $('sistema').value].concat(opcionesFormato(false)), true)
      .formato;
    var f = formato && formato.formato;
    var texto = function (valor) {
      return valor === undefined || valor === null ? '' : String(valor);
    };
    $('bits').placeholder = texto(formato && formato.bits);
    $('exceso').placeholder = texto(f ? f.exceso : formato && formato.exceso);
    $('exp').placeholder = texto(f && f.exp);
    $('pos-exp').placeholder = texto(f && f.pos_exp);
    $('pos-man').placeholder = texto(f && f.pos_man);
    $('pos-signo').placeholder = texto(f && f.pos_signo);
    var porDefecto = function (id, valor, nombre) {
      $(id).options[0].textContent = valor ? '(' + nombre + ': ' + valor + ')' : '(' + nombre + ')';
    };
    var nombres = f ? formato.nombres : {};
    porDefecto('sis-exp', nombres.sis_exp, 'formato');
    porDefecto('sis-man', nombres.sis_man, 'formato');
    porDefecto('norma', nombres.norma, 'formato');
    $('resumen-formato').textContent = f ? ': ' + formato.resumen : '';
  }

  function actualizarFormulario() {
    var representar = !interpretando();
    $('etiqueta-dato').textContent = representar ? 'Valor' : 'Cadena de bits';
    $('coma-flotante').hidden = !flotante();
    $('valor').disabled = !representar;
    var sisExp = $('sis-exp').value || (formato && formato.formato && formato.formato.sis_exp);
    $('campo-exceso').hidden = !($('sistema').value === 'exceso' ||
      (flotante() && (!sisExp || sisExp === 'exceso')));
    $('etiqueta-exceso').textContent = flotante() ? 'Exceso del exponente' : 'Exceso Z';
    $('campo-fraccion').hidden = !conFraccion();
    var fija = conFraccion() && Number($('fraccion').value) > 0;
    $('ayuda-dato').textContent = !representar
      ? 'Grupos separados por espacios, _ o . y hexadecimal con 0x.'
      : flotante() ? 'Con punto decimal, como 5.375.'
        : fija ? 'Con punto decimal, como 9.75.' : 'Un número entero, como -5.';
    contar();
  }

  // How far the value typed has come, as the program counts it (the bits written, the width
  // they must reach), or null when the options are refused.
  function escritos() {
    return describir(argumentos()).escritos;
  }

  // "n de N bits" under a bit string: N is the format's width, or -b for an integer system.
  function contar() {
    var contador = $('contador');
    var cuenta = interpretando() ? escritos() : null;
    if (!cuenta) {
      contador.textContent = '';
      return;
    }
    var n = cuenta.bits;
    contador.textContent = cuenta.ancho ? n + ' de ' + cuenta.ancho + ' bits'
      : n + (n === 1 ? ' bit' : ' bits');
  }

  // Whether the text typed is worth a live conversion: not a lone sign or point, nor a bit
  // string still shorter than the format (the counter says how far it is). Options the program
  // refuses are converted, so that its message shows.
  function completo() {
    contar();
    if ($('dato').value.trim() === '') return false;
    var cuenta = escritos();
    return !cuenta || cuenta.completo;
  }

  function programar() {
    clearTimeout(espera);
    espera = setTimeout(function () {
      espera = 0;
      if (!completo()) return;
      var campo = document.activeElement;
      tecleando = campo && campo.tagName === 'INPUT' && campo.type !== 'checkbox' ? campo.id : null;
      convertir();
      tecleando = null;
    }, kPausa);
  }

  function cambioDeFormato() {
    sondear();
    actualizarFormulario();
    programar();
  }

  function mostrarOrden(args) {
    $('orden').textContent = lineaDeOrden(args.join('\n'));
  }

  function convertir(evento) {
    if (evento) evento.preventDefault();
    clearTimeout(espera);
    var args = argumentos();
    if (args[2] === '-') {
      // "-" reads values from standard input, which a page does not have.
      $('orden').textContent = '';
      $('resultado').textContent = 'Escriba un valor: en la página se convierte uno cada vez.';
      $('resultado').dataset.estado = '2';
      dibujar(null);
      return;
    }
    mostrarOrden(args);
    // One run gives the trace and the JSON object together.
    var una = leerConversion(conversion(args.join('\n')));
    $('resultado').textContent = una.traza;
    $('resultado').dataset.estado = String(una.estado);
    dibujar(una.resultado);
    anotarDireccion(false, tecleando);
  }

  // The fields of a pattern, in string order, from the program's JSON.
  function camposDe(json) {
    var f = json.formato;
    var args = ['representar'];
    if (f) {
      args.push('flotante', '-b', f.bits, '--exp', f.exp, '--pos-exp', f.pos_exp, '--pos-man',
        f.pos_man, '--pos-signo', f.pos_signo, '--sis-exp', f.sis_exp, '--sis-man', f.sis_man,
        '--norma', f.norma);
    } else {
      args.push(json.sistema, '-b', json.bits);
    }
    var exceso = f ? f.exceso : json.exceso;
    if (exceso !== undefined && exceso !== null) args.push('-z', exceso);
    var disposicion = describir(args.map(String), true).formato;
    if (!disposicion) return [];
    return disposicion.campos.map(function (campo) {
      var copia = Object.assign({}, campo);
      if (campo.campo === 'exponente' && json.exponente) copia.valor = json.exponente.valor;
      return copia;
    });
  }

  function textoLeyenda(campo) {
    return campo.leyenda + (campo.valor !== undefined ? '; vale ' + campo.valor : '');
  }

  function elemento(etiqueta, clase, texto) {
    var e = document.createElement(etiqueta);
    if (clase) e.className = clase;
    if (texto !== undefined) e.textContent = texto;
    return e;
  }

  // Draws `cadena` by fields into `caja`: buttons that flip a bit when `pulsables`, otherwise
  // fixed cells; the cells where `otra` differs are marked, their weight saying `nota` (by
  // default, that rounding changes them).
  function pintar(caja, cadena, campos, pulsables, otra, nota) {
    var total = cadena.length;
    var prefijo = caja.id;
    var trozos = document.createDocumentFragment();
    campos.forEach(function (campo) {
      var grupo = elemento('div', 'grupo');
      grupo.dataset.campo = campo.campo;
      grupo.appendChild(elemento('span', 'nombre-campo', campo.nombre));
      var celdas = elemento('div', 'celdas');
      if (campo.implicito) {
        var fantasma = elemento('div', 'celda implicita');
        fantasma.appendChild(elemento('span', 'bit', '1'));
        fantasma.appendChild(elemento('span', 'pos', '·'));
        fantasma.appendChild(elemento('span', 'peso', campo.implicito));
        fantasma.title = 'bit implícito: no se guarda';
        celdas.appendChild(fantasma);
      }
      for (var i = 0; i < campo.n; ++i) {
        var pos = campo.desde + i;
        var digito = cadena.charAt(pos);
        var celda = elemento('div', 'celda');
        if (campo.campo === 'entero' && campo.pesos[i] === 'signo') {
          celda.classList.add('signo-entero');
        }
        var bit = elemento(pulsables ? 'button' : 'span', 'bit', digito);
        if (digito === '1') bit.classList.add('uno');
        bit.dataset.pos = String(pos);
        bit.dataset.campo = campo.campo;
        var idPeso = prefijo + '-peso-' + pos;
        var descripcion = campo.pesos[i];
        if (pulsables) {
          bit.type = 'button';
          bit.setAttribute('aria-pressed', digito === '1' ? 'true' : 'false');
          bit.setAttribute('aria-label', 'bit ' + pos + ' del ' + campo.nombre +
            ', vale ' + digito);
          bit.setAttribute('aria-describedby', idPeso);
        }
        if (otra !== null && otra.charAt(pos) !== digito) {
          celda.classList.add('difiere');
          descripcion += nota || '; cambia al redondear';
        }
        celda.appendChild(bit);
        celda.appendChild(elemento('span', 'pos', String(pos)));
        celda.appendChild(elemento('span', 'ese', 'S' + (total - 1 - pos)));
        var etiquetaPeso = elemento('span', 'peso', descripcion);
        etiquetaPeso.id = idPeso;
        etiquetaPeso.setAttribute('role', 'tooltip');
        celda.appendChild(etiquetaPeso);
        celdas.appendChild(celda);
      }
      grupo.appendChild(celdas);
      trozos.appendChild(grupo);
    });
    caja.replaceChildren(trozos);
  }

  function valorLeido(json) {
    var valor = json.valor_exacto !== undefined ? json.valor_exacto : json.valor;
    return valor === undefined || valor === null ? '' : String(valor);
  }

  function dibujar(json) {
    var hay = json !== null && typeof json.cadena === 'string' && json.cadena !== '' &&
      json.en_rango !== false && json.exponente_en_rango !== false;
    dibujado = hay ? json : null;
    dibujarTarjeta(dibujado);
    $('dibujo').hidden = !hay;
    if (!hay) return;
    var campos = camposDe(json);
    var leyenda = document.createDocumentFragment();
    campos.forEach(function (campo) {
      var linea = elemento('li', '', '');
      var muestra = elemento('span', 'muestra');
      muestra.dataset.campo = campo.campo;
      muestra.setAttribute('aria-hidden', 'true');
      linea.appendChild(muestra);
      linea.appendChild(document.createTextNode(textoLeyenda(campo)));
      leyenda.appendChild(linea);
    });
    $('leyenda').replaceChildren(leyenda);
    pintar($('patron'), json.cadena, campos, true, null);
    $('hex').parentNode.hidden = !json.hex;
    escribirNumeros($('hex'), json.hex || '');
    escribirNumeros($('valor-leido'), valorLeido(json));

    var ampliado = $('ampliado').checked && json.formato !== undefined;
    $('dibujo-ampliado').hidden = !ampliado;
    if (!ampliado) return;
    var partes = [];
    if (json.entrada_exacta !== undefined) partes.push('Valor exacto de la entrada: ' + json.entrada_exacta);
    if (json.valor_exacto !== undefined) partes.push('Valor exacto almacenado: ' + json.valor_exacto);
    if (json.error_absoluto !== undefined) partes.push('Error: ' + json.error_absoluto);
    if (json.ieee) partes.push('IEEE 754: ' + json.ieee.clase);
    escribirNumeros($('exacto'), partes.join('. ') + '.');
    var redondeo = json.redondeo;
    $('redondeo').parentNode.querySelector('h3').hidden = !redondeo;
    $('redondeo').hidden = !redondeo;
    $('diferencias').hidden = !redondeo;
    if (!redondeo) return;
    pintar($('redondeo'), redondeo.cadena, campos, false, json.cadena);
    var distintas = [];
    for (var i = 0; i < json.cadena.length; ++i) {
      if (redondeo.cadena.charAt(i) !== json.cadena.charAt(i)) distintas.push(i);
    }
    escribirNumeros($('diferencias'), (distintas.length === 0
      ? 'Coincide con el patrón de arriba, que trunca.'
      : 'Difiere del patrón de arriba, que trunca, en ' +
        (distintas.length === 1 ? 'la posición ' : 'las posiciones ') + distintas.join(', ') +
        ' (recuadradas).') +
      ' ' + redondeo.hex + ', valor ' + redondeo.valor_exacto + ', error ' + redondeo.error_absoluto +
      '.');
  }

  // ---- The format's card -------------------------------------------------------------------
  // `repbin formato --json` on the format drawn, run once in the module: its range, precision,
  // count and zeros, and for a floating-point value its neighbours (--valor with the value
  // drawn, an exact decimal). The page writes what the program says and computes none of it.
  var tarjeta = null;  // the program's card of the format drawn

  // The module's JSON with every number as the program wrote it, digit by digit: a count or a
  // range of 64 bits is text here, never a float that happens to be close.
  function leerExacto(texto) {
    return JSON.parse(texto, function (clave, valor, contexto) {
      return typeof valor === 'number' && contexto && contexto.source ? contexto.source : valor;
    });
  }

  // The card's command line for the conversion drawn (`json`, or null: the form's format).
  function argumentosTarjeta(json) {
    var args = ['formato'];
    if (json && !json.formato) {
      // An integer read from a bit string takes its width from the string.
      args.push(json.sistema, '-b', String(json.bits));
      if (json.exceso !== undefined && json.exceso !== null) args.push('-z', String(json.exceso));
      if (json.fraccion) args.push('--fraccion', String(json.fraccion));
    } else {
      args.push($('sistema').value);
      args = args.concat(opcionesFormato(true));
    }
    // A named IEEE format's card reads by IEEE 754, so its neighbours are those of the IEEE value
    // (a subnormal pattern reads otherwise by the program's own rule).
    var valor = !json || !json.formato ? ''
      : json.ieee && json.ieee.valor_exacto ? String(json.ieee.valor_exacto) : valorLeido(json);
    if (/^-?\d+(\.\d+)?$/.test(valor)) args.push('--valor', valor);
    args.push('--json');
    return args;
  }

  // A bit pattern in groups of four, each a text of its own with a break allowed between them.
  function escribirCadena(elementoCadena, cadena) {
    var trozos = document.createDocumentFragment();
    for (var i = 0; i < cadena.length; i += 4) {
      if (i > 0) trozos.appendChild(document.createElement('wbr'));
      trozos.appendChild(document.createTextNode(cadena.slice(i, i + 4)));
    }
    elementoCadena.replaceChildren(trozos);
  }

  // One line of the card: `clave` names it for whoever reads the page's tree (the tests).
  function lineaTarjeta(lista, clave, nombre, texto, cadenas) {
    lista.appendChild(elemento('dt', '', nombre));
    var dato = elemento('dd');
    dato.dataset.clave = clave;
    var numero = elemento('span', 'numero');
    escribirNumeros(numero, texto);
    dato.appendChild(numero);
    (cadenas || []).forEach(function (cadena, i) {
      if (i > 0 || texto !== '') dato.appendChild(document.createTextNode(i === 0 ? ' · ' : ' y '));
      var codigo = elemento('code', 'cadena');
      escribirCadena(codigo, cadena);
      dato.appendChild(codigo);
    });
    lista.appendChild(dato);
  }

  var kLineasFlotante = [
    ['maximo', 'Mayor valor'],
    ['minimo_normalizado', 'Menor positivo normalizado'],
    ['minimo_positivo', 'Menor positivo'],
  ];

  function dibujarTarjeta(json) {
    var args = argumentosTarjeta(json);
    var texto = orden(args.join('\n'));
    var leida = null;
    if (estado() === 0) {
      try {
        leida = leerExacto(texto);
      } catch (e) {
        leida = null;
      }
    }
    tarjeta = leida;
    $('tarjeta-formato').hidden = leida === null;
    if (leida === null) return;
    escribirNumeros($('tarjeta-orden'), 'repbin ' + args.join(' '));
    var lista = document.createDocumentFragment();
    var anadir = function (clave, nombre, texto, cadenas) {
      lineaTarjeta(lista, clave, nombre, texto, cadenas);
    };
    if (leida.sistema === 'flotante') {
      kLineasFlotante.forEach(function (linea) {
        var v = leida[linea[0]];
        anadir(linea[0], linea[1], v.cientifico, [v.cadena]);
      });
      anadir('epsilon', 'Épsilon (distancia tras el 1)', leida.epsilon.cientifico);
      anadir('precision', 'Precisión', leida.precision + ' bits, ' + leida.digitos_decimales +
        ' cifras decimales');
    } else {
      anadir('rango', 'Rango', 'de ' + leida.rango.min + ' a ' + leida.rango.max,
        [leida.rango.cadena_min, leida.rango.cadena_max]);
    }
    anadir('valores', 'Valores distintos', leida.valores);
    anadir('ceros', leida.ceros.length === 1 ? 'Cero' : 'Ceros', '', leida.ceros);
    $('tarjeta-datos').replaceChildren(lista);

    var vecinos = leida.vecinos;
    $('vecinos').hidden = !vecinos;
    $('tarjeta-valor').textContent = '';
    if (!vecinos) return;
    $('anterior').disabled = !vecinos.anterior;
    $('siguiente').disabled = !vecinos.siguiente;
    // The value drawn is exact in its format, so truncation keeps it: its scientific notation,
    // so that a tiny value never reads as 0.000000.
    var partes = [];
    if (leida.truncamiento) partes.push('Valor en notación científica: ' + leida.truncamiento.cientifico);
    if (vecinos.anterior) partes.push('anterior: ' + vecinos.anterior.cientifico);
    if (vecinos.siguiente) partes.push('siguiente: ' + vecinos.siguiente.cientifico);
    escribirNumeros($('tarjeta-valor'), partes.join('; ') + '.');
  }

  // ← and →: the value becomes its neighbour, written as its exact decimal, and is converted
  // again, as a value typed. When a pattern is being read, or the program would not take the
  // decimal as a value (too long to type), the neighbour's pattern is read instead.
  function pasarAlVecino(cual) {
    var vecino = tarjeta && tarjeta.vecinos && tarjeta.vecinos[cual];
    if (!vecino) return;
    var args = argumentos();
    args[2] = vecino.valor_exacto;
    if (!interpretando() && vecino.valor_exacto !== null &&
        leerConversion(conversion(args.join('\n'))).estado !== 2) {
      $('dato').value = vecino.valor_exacto;
    } else {
      $('operacion').value = 'interpretar';
      $('dato').value = vecino.cadena;
    }
    actualizarFormulario();
    convertir();
    var boton = $(cual);
    if (boton.disabled) boton = $(cual === 'anterior' ? 'siguiente' : 'anterior');
    boton.focus();
  }

  // A click (or Space/Enter) on a bit: the same format interprets the pattern with that bit
  // flipped, and the form becomes that command.
  function voltear(evento) {
    var bit = evento.target.closest('button.bit');
    if (!bit || !dibujado) return;
    var pos = Number(bit.dataset.pos);
    var cadena = dibujado.cadena;
    $('operacion').value = 'interpretar';
    $('dato').value = cadena.slice(0, pos) + (cadena.charAt(pos) === '1' ? '0' : '1') +
      cadena.slice(pos + 1);
    actualizarFormulario();
    convertir();
    var nuevo = $('patron').querySelector('button.bit[data-pos="' + pos + '"]');
    if (nuevo) nuevo.focus();
  }

  function prepararConversion() {
    $('formulario').addEventListener('submit', convertir);
    // A new system or named format brings its own width: a width typed for the old one would
    // reshape the new format (8 bits of ieee16 leave a 2-bit mantissa).
    ['sistema', 'formato'].forEach(function (id) {
      $(id).addEventListener('change', function () { $('bits').value = ''; });
    });
    ['operacion', 'sistema', 'formato', 'sis-exp', 'sis-man', 'norma', 'valor', 'ampliado']
      .forEach(function (id) { $(id).addEventListener('change', cambioDeFormato); });
    ['bits', 'exp', 'pos-exp', 'pos-man', 'pos-signo', 'exceso', 'fraccion']
      .forEach(function (id) { $(id).addEventListener('input', cambioDeFormato); });
    $('dato').addEventListener('input', function () {
      contar();
      programar();
    });
    $('patron').addEventListener('click', voltear);
    $('anterior').addEventListener('click', function () { pasarAlVecino('anterior'); });
    $('siguiente').addEventListener('click', function () { pasarAlVecino('siguiente'); });
    // A weight shown over a cell in the right half of the screen opens to the left, so it never
    // widens the page.
    var lado = function (evento) {
      var celda = evento.target.closest && evento.target.closest('.celda');
      if (celda) {
        var caja = celda.getBoundingClientRect();
        celda.classList.toggle('derecha', caja.left > document.documentElement.clientWidth / 2);
      }
    };
    ['patron', 'redondeo'].forEach(function (id) {
      $(id).addEventListener('mouseover', lado);
      $(id).addEventListener('focusin', lado);
    });
    $('ver-s').addEventListener('change', function () {
      $('dibujo').classList.toggle('con-s', $('ver-s').checked);
      anotarDireccion();
    });
  }

  function prepararProyector() {
    var boton = $('proyector');
    boton.addEventListener('click', function () {
      var activo = document.documentElement.classList.toggle('proyector');
      boton.setAttribute('aria-pressed', activo ? 'true' : 'false');
    });
  }

  function iniciar() {
    sesion = repbinFuncion('repbin_session', 'string', ['string']);
    terminada = repbinFuncion('repbin_finished', 'number', []);
    orden = repbinFuncion('repbin_command', 'string', ['string']);
    conversion = repbinFuncion('repbin_convert', 'string', ['string']);
    disposicion = repbinFuncion('repbin_layout', 'string', ['string']);
    lineaDeOrden = repbinFuncion('repbin_command_line', 'string', ['string']);
    estado = repbinFuncion('repbin_status', 'number', []);
    $('linea').addEventListener('submit', responder);
    $('nueva').addEventListener('click', nuevaSesion);
    $('copiar').addEventListener('click', copiar);
    prepararPestanas();
    prepararProyector();
    prepararConversion();
    prepararDireccion();
  }

  // The view the address describes (or, without one, the conversion tab's example, so that
  // tab never opens empty), once every tab is ready; the address then says it all.
  function abrir() {
    aplicarEstado(repbinDireccion.leer(location.hash));
    listo = true;
    anotarDireccion(true);
  }

  // The picture of a pattern, for the other tabs (practice.js), and the address's note of a
  // change there.
  return {
    iniciar: iniciar,
    nuevaSesion: nuevaSesion,
    abrir: abrir,
    pintar: pintar,
    camposDe: camposDe,
    anotarDireccion: anotarDireccion,
  };
})();
