// The page's behaviour: the dialogue as a console and the one-conversion form with the picture
// of its result, all on the functions the WebAssembly module exports (bindings.cpp).
//
// The dialogue keeps the answers typed so far and runs the session again from the start with
// all of them after each new one: the engine is deterministic and a session is short, so the
// program never waits for input. The module returns what the session printed up to the question
// that found no answer; each answer is shown where it was asked for, in an element of class
// "respuesta", so the console's text without those elements is exactly the program's output.
'use strict';

var Module = {
  // No standard input: a command never waits for one (the browser would ask in a dialogue).
  stdin: function () {
    return null;
  },
  onRuntimeInitialized: function () {
    repbinPagina.iniciar();
  },
};

var repbinPagina = (function () {
  var sesion, terminada, orden, estado, conversion;
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

  // ---- One conversion ----------------------------------------------------------------------
  // The value, the trace and the layout always come from the program: each conversion runs the
  // command line twice in the module, once with --json (the pattern, its fields, hexadecimal and
  // value) and once for the trace. The page only draws the layout that JSON describes.

  var kPausa = 300;  // ms without typing before a live conversion
  var espera = 0;
  var dibujado = null;  // the JSON object of the conversion drawn
  var formato = null;   // the program's JSON for the layout the options give, or null

  var kSistemas = {
    natural: 'binario natural',
    sm: 'signo-magnitud',
    c1: 'complemento a uno',
    c2: 'complemento a dos',
    exceso: 'exceso',
  };
  var kNormas = {
    '1M': "1'M, bit implícito entero",
    '0M': "0'M, sin bit implícito",
    '01M': "0'1M, bit implícito fraccionario",
  };
  var kNombresCampo = { signo: 'signo', exponente: 'exponente', mantisa: 'mantisa', entero: 'número' };

  function ejecutar(args) {
    var texto = orden(args.join('\n'));
    return { texto: texto, estado: estado() };
  }

  // The JSON object among what a --json command printed. An integer's value beyond 2^53 (a
  // wide natural) is kept as the program wrote it, digit by digit.
  function leerJson(texto) {
    var linea = texto.split('\n').filter(function (l) { return l.charAt(0) === '{'; })[0];
    if (linea === undefined) return null;
    try {
      var json = JSON.parse(linea);
      var exacto = /"valor":(-?\d+)[,}]/.exec(linea);
      if (!json.formato && exacto && !Number.isSafeInteger(json.valor)) json.valor = exacto[1];
      return json;
    } catch (e) {
      return null;
    }
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

  // The layout options, in the order the program applies them: a named format first, so that
  // the fields typed after it change it.
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

  // Asks the program what layout the options give (a conversion of 1, or 0 for the integer
  // systems, without the excess typed), and shows it as the empty fields' placeholders.
  function sondear() {
    var sistema = $('sistema').value;
    var args = ['representar', sistema, sistema === 'flotante' ? '1' : '0'];
    formato = leerJson(ejecutar(args.concat(opcionesFormato(false), '--json')).texto);
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
    porDefecto('sis-exp', f && kSistemas[f.sis_exp], 'formato');
    porDefecto('sis-man', f && kSistemas[f.sis_man], 'formato');
    porDefecto('norma', f && f.norma && kNormas[f.norma].split(',')[0], 'formato');
    $('resumen-formato').textContent = !f ? '' : ': ' + f.bits + ' bits; signo en ' +
      f.pos_signo + ', exponente de ' + f.exp + ' en ' + f.pos_exp + ' (' +
      (f.sis_exp === 'exceso' ? 'exceso ' + f.exceso : kSistemas[f.sis_exp]) + '), mantisa de ' +
      (f.bits - f.exp - 1) + ' en ' + f.pos_man + ' (' + kSistemas[f.sis_man] + ', ' +
      kNormas[f.norma].split(',')[0] + ')';
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
    $('ayuda-dato').textContent = !representar
      ? 'Grupos separados por espacios, _ o . y hexadecimal con 0x.'
      : flotante() ? 'Con punto decimal, como 5.375.' : 'Un número entero, como -5.';
    contar();
  }

  // "n de N bits" under a bit string: N is the format's width, or -b for an integer system.
  function contar() {
    var contador = $('contador');
    if (!interpretando()) {
      contador.textContent = '';
      return null;
    }
    var limpio = $('dato').value.replace(/[\s_.]/g, '');
    var hex = /^0x/i.test(limpio);
    var n = hex ? (limpio.length - 2) * 4 : limpio.length;
    var ancho = flotante() ? formato && formato.bits : Number($('bits').value) || 0;
    contador.textContent = ancho ? n + ' de ' + ancho + ' bits' : n + (n === 1 ? ' bit' : ' bits');
    return { n: n, ancho: ancho, hex: hex };
  }

  // Whether the text typed is worth a live conversion: not a lone sign or point, nor a bit
  // string still shorter than the format (the counter says how far it is).
  function completo() {
    var dato = $('dato').value.trim();
    if (/^[-+.]?$/.test(dato)) return false;
    var cuenta = contar();
    if (!cuenta || !cuenta.ancho) return true;
    return cuenta.hex ? cuenta.n >= cuenta.ancho && cuenta.n < cuenta.ancho + 4
      : cuenta.n === cuenta.ancho;
  }

  function programar() {
    clearTimeout(espera);
    espera = setTimeout(function () {
      espera = 0;
      if (completo()) convertir();
    }, kPausa);
  }

  function cambioDeFormato() {
    sondear();
    actualizarFormulario();
    programar();
  }

  function mostrarOrden(args) {
    $('orden').textContent = 'repbin ' + args.map(function (a) {
      return /^[-+.\w]+$/.test(a) ? a : "'" + a.replace(/'/g, "'\\''") + "'";
    }).join(' ');
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
  }

  // The fields of a pattern, in string order, from the program's JSON.
  function camposDe(json) {
    var f = json.formato;
    if (!f) {
      return [{ campo: 'entero', desde: 0, n: json.bits, sistema: json.sistema, exceso: json.exceso }];
    }
    return [
      { campo: 'signo', desde: f.pos_signo, n: 1 },
      {
        campo: 'exponente', desde: f.pos_exp, n: f.exp, sistema: f.sis_exp, exceso: f.exceso,
        valor: json.exponente ? json.exponente.valor : undefined,
      },
      { campo: 'mantisa', desde: f.pos_man, n: f.bits - f.exp - 1, sistema: f.sis_man, norma: f.norma },
    ].sort(function (a, b) { return a.desde - b.desde; });
  }

  function nombreSistema(campo) {
    return campo.sistema === 'exceso' ? 'exceso ' + campo.exceso : kSistemas[campo.sistema];
  }

  function textoLeyenda(campo) {
    var bits = campo.n + (campo.n === 1 ? ' bit' : ' bits');
    switch (campo.campo) {
      case 'signo':
        return 'Signo: ' + bits + ' (0 positivo, 1 negativo)';
      case 'exponente':
        return 'Exponente: ' + bits + ', ' + nombreSistema(campo) +
          (campo.valor !== undefined ? '; vale ' + campo.valor : '');
      case 'mantisa':
        return 'Mantisa: ' + bits + ', ' + nombreSistema(campo) + ', ' + kNormas[campo.norma];
      default: {
        var nombre = nombreSistema(campo);
        return nombre.charAt(0).toUpperCase() + nombre.slice(1) + ': ' + bits +
          (/^(sm|c1|c2)$/.test(campo.sistema) ? '; el primero es el signo' : '');
      }
    }
  }

  // What a bit weighs, by its place in its field (i from the left of the field).
  function peso(campo, i) {
    var signo = /^(sm|c1|c2)$/.test(campo.sistema) && i === 0;
    switch (campo.campo) {
      case 'signo':
        return 'signo';
      case 'exponente':
        return signo ? 'signo del exponente' : 'peso 2^' + (campo.n - 1 - i);
      case 'mantisa':
        return 'peso 2^-' + (i + (campo.norma === '01M' ? 2 : 1));
      default:
        return signo ? 'signo' : 'peso 2^' + (campo.n - 1 - i);
    }
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
      grupo.appendChild(elemento('span', 'nombre-campo', kNombresCampo[campo.campo]));
      var celdas = elemento('div', 'celdas');
      if (campo.campo === 'mantisa' && campo.norma !== '0M') {
        var fantasma = elemento('div', 'celda implicita');
        fantasma.appendChild(elemento('span', 'bit', '1'));
        fantasma.appendChild(elemento('span', 'pos', '·'));
        fantasma.appendChild(elemento('span', 'peso', 'bit implícito, peso 2^' +
          (campo.norma === '01M' ? '-1' : '0')));
        fantasma.title = 'bit implícito: no se guarda';
        celdas.appendChild(fantasma);
      }
      for (var i = 0; i < campo.n; ++i) {
        var pos = campo.desde + i;
        var digito = cadena.charAt(pos);
        var celda = elemento('div', 'celda');
        if (campo.campo === 'entero' && i === 0 && /^(sm|c1|c2)$/.test(campo.sistema)) {
          celda.classList.add('signo-entero');
        }
        var bit = elemento(pulsables ? 'button' : 'span', 'bit', digito);
        if (digito === '1') bit.classList.add('uno');
        bit.dataset.pos = String(pos);
        bit.dataset.campo = campo.campo;
        var idPeso = prefijo + '-peso-' + pos;
        var descripcion = peso(campo, i);
        if (pulsables) {
          bit.type = 'button';
          bit.setAttribute('aria-pressed', digito === '1' ? 'true' : 'false');
          bit.setAttribute('aria-label', 'bit ' + pos + ' del ' + kNombresCampo[campo.campo] +
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
    $('hex').textContent = json.hex || '';
    $('valor-leido').textContent = valorLeido(json);

    var ampliado = $('ampliado').checked && json.formato !== undefined;
    $('dibujo-ampliado').hidden = !ampliado;
    if (!ampliado) return;
    var partes = [];
    if (json.entrada_exacta !== undefined) partes.push('Valor exacto de la entrada: ' + json.entrada_exacta);
    if (json.valor_exacto !== undefined) partes.push('Valor exacto almacenado: ' + json.valor_exacto);
    if (json.error_absoluto !== undefined) partes.push('Error: ' + json.error_absoluto);
    if (json.ieee) partes.push('IEEE 754: ' + json.ieee.clase);
    $('exacto').textContent = partes.join('. ') + '.';
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
    $('diferencias').textContent = (distintas.length === 0
      ? 'Coincide con el patrón de arriba, que trunca.'
      : 'Difiere del patrón de arriba, que trunca, en ' +
        (distintas.length === 1 ? 'la posición ' : 'las posiciones ') + distintas.join(', ') +
        ' (recuadradas).') +
      ' ' + redondeo.hex + ', valor ' + redondeo.valor_exacto + ', error ' + redondeo.error_absoluto + '.';
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
    ['bits', 'exp', 'pos-exp', 'pos-man', 'pos-signo', 'exceso']
      .forEach(function (id) { $(id).addEventListener('input', cambioDeFormato); });
    $('dato').addEventListener('input', function () {
      contar();
      programar();
    });
    $('patron').addEventListener('click', voltear);
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
    });
    // An example is drawn at once, so the tab never opens empty.
    $('sistema').value = 'flotante';
    $('dato').value = '5.375';
    sondear();
    actualizarFormulario();
    convertir();
  }

  function prepararProyector() {
    var boton = $('proyector');
    boton.addEventListener('click', function () {
      var activo = document.documentElement.classList.toggle('proyector');
      boton.setAttribute('aria-pressed', activo ? 'true' : 'false');
    });
  }

  function iniciar() {
    sesion = Module.cwrap('repbin_session', 'string', ['string']);
    terminada = Module.cwrap('repbin_finished', 'number', []);
    orden = Module.cwrap('repbin_command', 'string', ['string']);
    conversion = Module.cwrap('repbin_convert', 'string', ['string']);
    estado = Module.cwrap('repbin_status', 'number', []);
    $('linea').addEventListener('submit', responder);
    $('nueva').addEventListener('click', nuevaSesion);
    $('copiar').addEventListener('click', copiar);
    prepararPestanas();
    prepararProyector();
    prepararConversion();
    nuevaSesion();
  }

  // The picture of a pattern, for the other tabs (practice.js).
  return { iniciar: iniciar, pintar: pintar, camposDe: camposDe };
})();
