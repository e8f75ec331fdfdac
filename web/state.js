// The page's state in its address: what each tab shows, as readable words after '#', so that a
// link or a bookmark opens the same view. The fragment is never sent to a server, and works the
// same from file:// and from a web host.
//
//   #pestana=conversion&operacion=interpretar&sistema=flotante&patron=0x80000000
//    &formato=ieee16,exp=6,norma=0M&ampliado=si
//   #pestana=operar&op-sistema=c1&a=-3&op=%2B&b=0b1101&op-bits=4
//   #pestana=conversion&sistema=c2&valor=9.75&formato=bits=8&fraccion=3
//
// The layout is one word: the named format (if any) first, then the fields typed, in the order
// the command line applies them, as name=value. A plain bit string whose length is a multiple of
// four is written as "patron" in hexadecimal (shorter, and exact for any pattern: -0, NaN) and
// read back as the same bits; anything else typed as the value goes as it is.
//
// The functions here only translate between an address and a plain object of the form's
// values (keyed by the form elements' ids); app.js reads and fills the form.
'use strict';

var repbinDireccion = (function () {
  // The layout's fields, by the word they take in the address.
  var kCamposFormato = [
    ['bits', 'bits'],
    ['exp', 'exp'],
    ['z', 'exceso'],
    ['pos-exp', 'pos-exp'],
    ['pos-man', 'pos-man'],
    ['pos-signo', 'pos-signo'],
    ['sis-exp', 'sis-exp'],
    ['sis-man', 'sis-man'],
    ['norma', 'norma'],
  ];
  // The conversion's other fields: address word and form id.
  var kConversion = [
    ['fraccion', 'fraccion'],
  ];
  // Yes/no choices.
  var kCasillas = [
    ['ampliado', 'ampliado'],
    ['valor-simple', 'valor'],
    ['ver-s', 'ver-s'],
    ['op-ampliado', 'operar-ampliado'],
  ];
  // The practice options: address word and form id.
  var kPractica = [
    ['practica-operacion', 'practica-operacion'],
    ['practica-bits', 'practica-bits'],
    ['practica-formato', 'practica-formato'],
    ['ejercicios', 'practica-n'],
    ['semilla', 'practica-semilla'],
  ];

  // The "Operar" tab: address word and form id.
  var kOperar = [
    ['op-sistema', 'operar-sistema'],
    ['a', 'operar-a'],
    ['op', 'operar-op'],
    ['b', 'operar-b'],
    ['op-bits', 'operar-bits'],
    ['op-exceso', 'operar-exceso'],
    ['op-formato', 'operar-formato'],
    ['redondeo', 'operar-redondeo'],
  ];

  // Characters left as they are in the address, for readability: they mean nothing special in
  // a fragment, and the words between '&' are split before decoding.
  function codificar(texto) {
    return encodeURIComponent(texto).replace(/%(2C|3D|3A|2F|40)/gi, function (c) {
      return decodeURIComponent(c);
    });
  }

  function decodificar(texto) {
    try {
      return decodeURIComponent(texto);
    } catch (e) {
      return texto;  // a bare '%' as someone typed it
    }
  }

  function hexadecimal(bits) {
    var digitos = '';
    for (var i = 0; i < bits.length; i += 4) {
      digitos += parseInt(bits.slice(i, i + 4), 2).toString(16);
    }
    return '0x' + digitos;
  }

  function binario(hex) {
    return hex.slice(2).split('').map(function (d) {
      return ('000' + parseInt(d, 16).toString(2)).slice(-4);
    }).join('');
  }

  // The address fragment (without '#') for a state: {pestana, campos: {id: value}, ronda}.
  // Empty fields and unticked boxes are left out.
  function escribir(estado) {
    var c = estado.campos || {};
    var partes = [];
    var poner = function (nombre, valor) {
      if (valor !== undefined && valor !== null && valor !== '') {
        partes.push(nombre + '=' + codificar(String(valor)));
      }
    };
    if (estado.pestana && estado.pestana !== 'dialogo') poner('pestana', estado.pestana);
    poner('operacion', c.operacion);
    poner('sistema', c.sistema);
    var dato = c.dato || '';
    if (c.operacion === 'interpretar' && /^[01]+$/.test(dato) && dato.length % 4 === 0) {
      poner('patron', hexadecimal(dato));
    } else {
      poner(c.operacion === 'interpretar' ? 'cadena' : 'valor', dato);
    }
    var formato = [];
    if (c.formato) formato.push(c.formato);
    kCamposFormato.forEach(function (par) {
      var valor = c[par[1]];
      if (valor !== undefined && valor !== '') formato.push(par[0] + '=' + valor);
    });
    // Each item encoded on its own: the word's separators stay separators.
    if (formato.length) partes.push('formato=' + formato.map(codificar).join(','));
    kConversion.forEach(function (par) {
      poner(par[0], c[par[1]]);
    });
    kCasillas.forEach(function (par) {
      if (c[par[1]]) poner(par[0], 'si');
    });
    var sistemas = c['practica-sistemas'] || [];
    poner('practica', sistemas.join(','));
    kPractica.forEach(function (par) {
      poner(par[0], c[par[1]]);
    });
    kOperar.forEach(function (par) {
      poner(par[0], c[par[1]]);
    });
    if (estado.ronda) poner('ronda', 'si');
    return partes.join('&');
  }

  // The state an address fragment describes ('#' optional). Words it does not know are left
  // out; the page checks the values against its own lists.
  function leer(fragmento) {
    var palabras = {};
    String(fragmento || '').replace(/^#/, '').split('&').forEach(function (parte) {
      var igual = parte.indexOf('=');
      if (igual > 0) palabras[decodificar(parte.slice(0, igual))] = parte.slice(igual + 1);
    });
    var valor = function (nombre) {
      return palabras[nombre] === undefined ? undefined : decodificar(palabras[nombre]);
    };
    var estado = { pestana: 'dialogo', campos: {}, ronda: valor('ronda') === 'si' };
    var c = estado.campos;
    if (valor('pestana') !== undefined) estado.pestana = valor('pestana');
    if (valor('operacion') !== undefined) c.operacion = valor('operacion');
    if (valor('sistema') !== undefined) c.sistema = valor('sistema');
    var patron = valor('patron');
    if (patron !== undefined && /^0x[0-9a-f]+$/i.test(patron)) {
      c.dato = binario(patron);
    } else if (valor('cadena') !== undefined) {
      c.dato = valor('cadena');
    } else if (valor('valor') !== undefined) {
      c.dato = valor('valor');
    }
    if (palabras.formato !== undefined) {
      palabras.formato.split(',').forEach(function (trozo, i) {
        var igual = trozo.indexOf('=');
        if (igual < 0) {
          if (i === 0) c.formato = decodificar(trozo);
          return;
        }
        var nombre = trozo.slice(0, igual);
        kCamposFormato.forEach(function (par) {
          if (par[0] === nombre) c[par[1]] = decodificar(trozo.slice(igual + 1));
        });
      });
    }
    kCasillas.forEach(function (par) {
      if (valor(par[0]) === 'si') c[par[1]] = true;
    });
    if (valor('practica') !== undefined) {
      c['practica-sistemas'] = valor('practica').split(',').filter(function (s) {
        return s !== '';
      });
    }
    kConversion.concat(kPractica, kOperar).forEach(function (par) {
      if (valor(par[0]) !== undefined) c[par[1]] = valor(par[0]);
    });
    return estado;
  }

  return { escribir: escribir, leer: leer };
})();

if (typeof module !== 'undefined') module.exports = repbinDireccion;
