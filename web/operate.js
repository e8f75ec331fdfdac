// The "Operar" tab: `repbin operar` in the page. The form becomes the command's words; the module
// runs the operation once (bindings.cpp: repbin_operate) and gives its trace and its JSON object
// together. The page draws what that object says and computes nothing itself: the integer
// operands and result as bit rows in columns under their carry row, with the flags beside; in
// floating point, the operands and the result by fields, then the significands aligned with the
// guard, round and sticky bits. A click on an operand's bit runs the operation again with that
// operand written as its flipped pattern.
//
// The tab's state, for whoever keeps the page's state in its address: repbinOperar.estado()
// gives {sistema, a, op, b, bits, exceso, formato, redondeo, ampliado} (strings, and a boolean),
// repbinOperar.fijar(estado) sets the fields it names and recomputes.
'use strict';

var repbinOperar = (function () {
  var operar;          // the module's function
  var lineaDeOrden;    // the module's command line as a shell reads it back
  var kPausa = 300;    // ms without typing before a live operation
  var espera = 0;
  var dibujado = null; // the JSON object of the operation drawn

  var kCampos = ['sistema', 'a', 'op', 'b', 'bits', 'exceso', 'formato', 'redondeo'];

  function $(id) {
    return document.getElementById(id);
  }

  function campo(nombre) {
    return $('operar-' + nombre);
  }

  function elemento(etiqueta, clase, texto) {
    var e = document.createElement(etiqueta);
    if (clase) e.className = clase;
    if (texto !== undefined) e.textContent = texto;
    return e;
  }

  function flotante() {
    return campo('sistema').value === 'flotante';
  }

  // The command's words for the form.
  function palabras() {
    var args = ['operar', campo('sistema').value, campo('a').value.trim(), campo('op').value,
      campo('b').value.trim()];
    var opcion = function (nombre, id) {
      var valor = campo(id).value.trim();
      if (valor !== '') args.push(nombre, valor);
    };
    if (flotante()) {
      opcion('-f', 'formato');
      opcion('--redondeo', 'redondeo');
    } else {
      opcion('-b', 'bits');
      if (campo('sistema').value === 'exceso') opcion('-z', 'exceso');
    }
    if (campo('ampliado').checked) args.push('--ampliado');
    return args;
  }

  function mostrarOrden(args) {
    $('operar-orden').textContent = lineaDeOrden(args.join('\n'));
  }

  // The module's answer; an integer beyond 2^53 kept as the digits the program wrote.
  function leer(texto) {
    try {
      return JSON.parse(texto.replace(/"(valor|valor_exacto)":(-?\d{16,})/g, '"$1":"$2"'));
    } catch (e) {
      return { traza: 'No se pudo leer la respuesta del módulo.', estado: 2, resultado: null };
    }
  }

  function actualizarFormulario() {
    var coma = flotante();
    $('operar-enteros').hidden = coma;
    $('operar-flotantes').hidden = !coma;
    campo('exceso').closest('label').hidden = campo('sistema').value !== 'exceso';
    var por = campo('op').querySelector('option[value="x"]');
    por.disabled = !coma;
    if (!coma && campo('op').value === 'x') campo('op').value = '+';
    var ayuda = coma ? 'En coma fija (15, -3.75) o una cadena del formato con 0b o 0x.'
      : 'Un entero (-5) o una cadena de bits con 0b (0b1011) o 0x (0xDB).';
    $('operar-ayuda').textContent = ayuda;
  }

  function calcular(evento) {
    if (evento) evento.preventDefault();
    actualizarFormulario();  // the form's parts as the system chosen, however it was chosen
    clearTimeout(espera);
    espera = 0;
    var args = palabras();
    mostrarOrden(args);
    var una = leer(operar(args.join('\n')));
    $('operar-traza').textContent = una.traza;
    $('operar-traza').dataset.estado = String(una.estado);
    dibujar(una.resultado);
    if (window.repbinPagina !== undefined) repbinPagina.anotarDireccion();
  }

  function programar() {
    clearTimeout(espera);
    espera = setTimeout(function () {
      espera = 0;
      if (campo('a').value.trim() !== '' && campo('b').value.trim() !== '') calcular();
    }, kPausa);
  }

  function dibujar(json) {
    var hay = json !== null && json.resultado !== undefined;
    dibujado = hay ? json : null;
    $('operar-dibujo').hidden = !hay;
    $('operar-dibujo-enteros').hidden = !hay || json.sistema === 'flotante';
    $('operar-dibujo-flotante').hidden = !hay || json.sistema !== 'flotante';
    if (!hay) return;
    if (json.sistema === 'flotante') {
      dibujarFlotante(json);
    } else {
      dibujarEnteros(json);
    }
  }

  // ---- Integers ------------------------------------------------------------------------------

  // A row of the columns: its name, one cell per digit (buttons that flip when `operando` is
  // 0 or 1), and what it is worth.
  function fila(nombre, cadena, clase, operando, valor) {
    var tr = elemento('tr', clase);
    var th = elemento('th', '', nombre);
    th.scope = 'row';
    tr.appendChild(th);
    for (var i = 0; i < cadena.length; ++i) {
      var td = elemento('td');
      var digito = cadena.charAt(i);
      if (operando !== undefined) {
        var boton = elemento('button', 'bit', digito);
        boton.type = 'button';
        boton.dataset.campo = 'entero';
        boton.dataset.operando = String(operando);
        boton.dataset.pos = String(i);
        boton.setAttribute('aria-pressed', digito === '1' ? 'true' : 'false');
        boton.setAttribute('aria-label', 'bit ' + i + ' de ' + (operando === 0 ? 'A' : 'B') +
          ', vale ' + digito);
        if (digito === '1') boton.classList.add('uno');
        td.appendChild(boton);
      } else {
        var span = elemento('span', clase === 'acarreos' ? 'acarreo' : 'bit', digito);
        if (clase !== 'acarreos') span.dataset.campo = 'entero';
        if (digito === '1') span.classList.add('uno');
        td.appendChild(span);
      }
      tr.appendChild(td);
    }
    tr.appendChild(elemento('td', 'valor', valor));
    return tr;
  }

  // What the carry row holds in each system, for + and for -.
  var kAcarreos = {
    natural: ['Acarreos', 'Préstamos'],
    c2: ['Acarreos', 'Acarreos'],
    c1: ['Acarreos', 'Acarreos'],
    sm: ['Acarreos', 'Acarreos'],
    exceso: ['Acarreos', 'Préstamos'],
  };
  var kNotas = {
    natural: ['', ''],
    c2: ['', 'A - B se hace como A + (B con los bits invertidos) + 1: el +1 entra como ' +
      'acarreo en la columna de la derecha.'],
    c1: ['Un acarreo que sale del bit de signo vuelve a entrar por la derecha (acarreo ' +
      'circular).', 'A - B se hace como A + (B con los bits invertidos); un acarreo que sale ' +
      'del bit de signo vuelve a entrar por la derecha (acarreo circular).'],
    sm: ['La fila de acarreos es la de las magnitudes (todo menos el primer bit); sobre el ' +
      'signo, el que sale de la magnitud. Los pasos dicen qué magnitudes se suman o restan.',
    'La fila de acarreos (o préstamos) es la de las magnitudes: los pasos dicen cuáles se ' +
      'suman o restan.'],
    exceso: ['Los acarreos son los de la suma de los códigos, antes de restar el exceso.',
      'Los préstamos son los de la resta de los códigos, antes de sumar el exceso.'],
  };

  var kBanderas = {
    N: 'negativo: el primer bit del resultado',
    Z: 'cero: todos los bits del resultado a 0',
    C: 'acarreo (o préstamo) del bit de mayor peso',
    V: 'desbordamiento en complemento a dos',
  };

  function dibujarEnteros(json) {
    var resta = json.operador === '-';
    var tabla = $('operar-columnas');
    var filas = document.createDocumentFragment();
    var cabecera = elemento('tr');
    cabecera.appendChild(elemento('td'));
    for (var i = 0; i < json.bits; ++i) {
      var th = elemento('th', 'columna', String(json.bits - 1 - i));
      th.scope = 'col';
      th.title = 'peso 2^' + (json.bits - 1 - i);
      cabecera.appendChild(th);
    }
    var titulo = elemento('th', 'columna', 'Valor');
    titulo.scope = 'col';
    cabecera.appendChild(titulo);
    filas.appendChild(cabecera);
    filas.appendChild(fila(kAcarreos[json.sistema][resta ? 1 : 0],
      json.acarreos.replace(/0/g, ' '), 'acarreos', undefined, ''));
    filas.appendChild(fila('A', json.operandos[0].cadena, 'operando', 0,
      String(json.operandos[0].valor)));
    // The complements subtract by adding B inverted: B is shown, then the row that is added.
    var invertido = json.b_invertido;
    filas.appendChild(fila(invertido ? 'B' : json.operador + ' B', json.operandos[1].cadena,
      invertido ? 'operando aparte' : 'operando', 1, String(json.operandos[1].valor)));
    if (invertido) {
      filas.appendChild(fila('+ B invertido', invertido, 'operando', undefined,
        json.sistema === 'c2' ? '+1 en la columna de la derecha' : ''));
    }
    filas.appendChild(fila('=', json.resultado.cadena, 'resultado', undefined,
      String(json.resultado.valor)));
    tabla.replaceChildren(filas);
    $('operar-nota-acarreos').textContent = kNotas[json.sistema][resta ? 1 : 0];
    $('operar-exacto').textContent = 'Valor exacto: ' + json.valor_exacto + '. ' +
      (json.desbordamiento ? 'Desbordamiento: el resultado no cabe en ' + json.bits +
        ' bits; se muestra la cadena que deja el circuito.' : 'El resultado cabe.');
    $('operar-exacto').classList.toggle('operar-desborda', json.desbordamiento);
    var lista = document.createDocumentFragment();
    ['N', 'Z', 'C', 'V'].forEach(function (nombre) {
      var puesta = json.banderas[nombre];
      var li = elemento('li', puesta ? 'puesta' : '');
      li.appendChild(elemento('span', 'bandera', nombre + ' = ' + (puesta ? '1' : '0')));
      li.appendChild(document.createTextNode(' ' + kBanderas[nombre]));
      lista.appendChild(li);
    });
    $('operar-banderas').replaceChildren(lista);
  }

  // ---- Floating point ------------------------------------------------------------------------

  // The columns of the aligned significands: the integer digits, the point, the fraction, and
  // the guard, round and sticky bits as the last three.
  function filaAlineada(nombre, cifras, enteras, clase) {
    var tr = elemento('tr', clase);
    var th = elemento('th', '', nombre);
    th.scope = 'row';
    tr.appendChild(th);
    for (var i = 0; i < cifras.length; ++i) {
      if (i === enteras) tr.appendChild(elemento('td', 'punto', clase === 'acarreos' ? '' : '.'));
      var td = elemento('td', i >= cifras.length - 3 ? 'grs' : '');
      var digito = cifras.charAt(i);
      td.appendChild(elemento('span', clase === 'acarreos' ? 'acarreo' : 'cifra',
        clase === 'acarreos' && digito === '0' ? ' ' : digito));
      tr.appendChild(td);
    }
    return tr;
  }

  function cabeceraAlineada(cifras, enteras) {
    var tr = elemento('tr');
    tr.appendChild(elemento('td'));
    var nombres = ['G', 'R', 'S'];
    var titulos = ['guarda', 'redondeo', 'retenedor (sticky)'];
    for (var i = 0; i < cifras; ++i) {
      if (i === enteras) tr.appendChild(elemento('td', 'punto'));
      var k = i - (cifras - 3);
      if (k < 0) {
        tr.appendChild(elemento('td', 'columna'));
        continue;
      }
      var th = elemento('th', 'grs columna', nombres[k]);
      th.scope = 'col';
      th.title = titulos[k];
      tr.appendChild(th);
    }
    return tr;
  }

  function pintarOperando(id, cadena, campos, pulsables) {
    var caja = $(id);
    caja.hidden = !cadena;
    caja.previousElementSibling.hidden = !cadena;
    if (cadena) repbinPagina.pintar(caja, cadena, campos, pulsables, null);
  }

  function dibujarFlotante(json) {
    var campos = repbinPagina.camposDe(json);
    pintarOperando('operar-fa', json.operandos[0].cadena, campos, true);
    pintarOperando('operar-fb', json.operandos[1].cadena, campos, true);
    pintarOperando('operar-fr', json.resultado.cadena, campos, false);
    var valores = [];
    valores.push('A = ' + (json.operandos[0].valor_exacto || '?'));
    valores.push('B = ' + (json.operandos[1].valor_exacto || '?'));
    if (json.resultado.cadena) {
      valores.push('resultado = ' + json.resultado.valor_exacto + ' (' + json.resultado.hex + ')');
    } else {
      valores.push('el resultado no cabe en el formato (Fuera de Rango)');
    }
    if (json.valor_exacto) valores.push('valor exacto = ' + json.valor_exacto);
    valores.push(json.inexacto ? 'el resultado es inexacto' : 'el resultado es exacto');
    $('operar-valores').textContent = valores.join('; ') + '.';

    var alineados = json.alineados;
    $('operar-alineados-caja').hidden = !alineados;
    if (alineados) {
      var filas = document.createDocumentFragment();
      var n = alineados.primero.length;
      var enteras = alineados.cifras_enteras;
      filas.appendChild(cabeceraAlineada(n, enteras));
      filas.appendChild(filaAlineada(alineados.resta ? 'Préstamos' : 'Acarreos',
        alineados.acarreos, enteras, 'acarreos'));
      filas.appendChild(filaAlineada('Mayor', alineados.primero, enteras, 'operando'));
      filas.appendChild(filaAlineada((alineados.resta ? '- ' : '+ ') + 'desplazado',
        alineados.segundo, enteras, 'operando'));
      filas.appendChild(filaAlineada('=', alineados.resultado, enteras, 'resultado'));
      $('operar-alineados').replaceChildren(filas);
      $('operar-escala').textContent = 'Todas las filas van multiplicadas por 2^' +
        alineados.exponente + '. Las tres últimas columnas son los bits de guarda (G), ' +
        'redondeo (R) y retenedor (S).';
    }
    var normal = json.normalizado;
    $('operar-normalizado-caja').hidden = !normal;
    if (normal) {
      var filasN = document.createDocumentFragment();
      filasN.appendChild(cabeceraAlineada(normal.cifras.length, normal.cifras_enteras));
      filasN.appendChild(filaAlineada('Normalizado', normal.cifras, normal.cifras_enteras,
        'resultado'));
      $('operar-normalizado').replaceChildren(filasN);
      var redondeo = json.pasos.filter(function (p) { return p.indexOf('Redondear') === 0; })[0];
      $('operar-redondeo-linea').textContent = '× 2^' + normal.exponente + '. ' + (redondeo || '');
    }
  }

  // ---- Clicks and the form -------------------------------------------------------------------

  // A click (or Space/Enter) on an operand's bit: that operand becomes its pattern with the bit
  // flipped, and the operation runs again.
  function voltear(evento) {
    var bit = evento.target.closest('button.bit');
    if (!bit || !dibujado) return;
    var pos = Number(bit.dataset.pos);
    var entero = dibujado.sistema !== 'flotante';
    var cual = entero ? Number(bit.dataset.operando) : bit.closest('#operar-fa') ? 0 : 1;
    var cadena = dibujado.operandos[cual].cadena;
    var nueva = cadena.slice(0, pos) + (cadena.charAt(pos) === '1' ? '0' : '1') +
      cadena.slice(pos + 1);
    campo(cual === 0 ? 'a' : 'b').value = '0b' + nueva;
    calcular();
    var selector = entero
      ? '#operar-columnas button.bit[data-operando="' + cual + '"][data-pos="' + pos + '"]'
      : '#operar-f' + (cual === 0 ? 'a' : 'b') + ' button.bit[data-pos="' + pos + '"]';
    var nuevo = document.querySelector(selector);
    if (nuevo) nuevo.focus();
  }

  function estado() {
    var e = {};
    kCampos.forEach(function (nombre) { e[nombre] = campo(nombre).value; });
    e.ampliado = campo('ampliado').checked;
    return e;
  }

  function fijar(e) {
    kCampos.forEach(function (nombre) {
      if (e[nombre] !== undefined) campo(nombre).value = e[nombre];
    });
    if (e.ampliado !== undefined) campo('ampliado').checked = !!e.ampliado;
    actualizarFormulario();
    repbinAlVerse('panel-operar', calcular);
  }

  function iniciar() {
    operar = repbinFuncion('repbin_operate', 'string', ['string']);
    lineaDeOrden = repbinFuncion('repbin_command_line', 'string', ['string']);
    $('operar-formulario').addEventListener('submit', calcular);
    ['sistema', 'op', 'formato', 'redondeo', 'ampliado'].forEach(function (id) {
      campo(id).addEventListener('change', function () {
        actualizarFormulario();
        calcular();
      });
    });
    ['a', 'b', 'bits', 'exceso'].forEach(function (id) {
      campo(id).addEventListener('input', programar);
    });
    ['operar-columnas', 'operar-fa', 'operar-fb'].forEach(function (id) {
      $(id).addEventListener('click', voltear);
    });
  }

  // An example, so the tab never opens empty: the course's overflow in two's complement, put in
  // the form once the page has applied its address (unless that named operands), and drawn when
  // the tab is first opened.
  function ejemplo() {
    if (campo('a').value === '') fijar({ sistema: 'c2', a: '100', op: '+', b: '80', bits: '8' });
  }

  // The form as the address left it (app.js fills it): drawn again.
  function rehacer() {
    actualizarFormulario();
    repbinAlVerse('panel-operar', calcular);
  }

  return { iniciar: iniciar, ejemplo: ejemplo, estado: estado, fijar: fijar, operar: rehacer };
})();
