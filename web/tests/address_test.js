// The page's address (web/state.js), without a browser: known addresses read and written word
// for word, and random states through an address and back. A pattern's hexadecimal is checked
// against BigInt's.
import { createRequire } from 'node:module';

import { generator } from './random.js';

const require = createRequire(import.meta.url);
const direccion = require('../state.js');

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
  if (!ok || process.env.VERBOSE) console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
}

const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// States and the address each one is written as, and read back from.
const kKnown = [
  {
    address: 'operacion=representar&sistema=flotante&valor=5.375',
    state: { pestana: 'dialogo', campos: { operacion: 'representar', sistema: 'flotante', dato: '5.375' } },
  },
  {
    address: 'pestana=conversion&operacion=interpretar&sistema=flotante&patron=0x80000000',
    state: {
      pestana: 'conversion',
      campos: { operacion: 'interpretar', sistema: 'flotante', dato: '1' + '0'.repeat(31) },
    },
  },
  {
    // A NaN with a payload in half precision, and a layout changed field by field.
    address: 'pestana=conversion&operacion=interpretar&sistema=flotante&patron=0x7e01' +
      '&formato=ieee16,exp=5,z=15,norma=0M&ampliado=si',
    state: {
      pestana: 'conversion',
      campos: {
        operacion: 'interpretar', sistema: 'flotante', dato: '0111111000000001', formato: 'ieee16',
        exp: '5', exceso: '15', norma: '0M', ampliado: true,
      },
    },
  },
  {
    address: 'pestana=conversion&operacion=representar&sistema=flotante&valor=-0' +
      '&formato=bits=16,exp=5,pos-exp=1,pos-man=6,pos-signo=0,sis-exp=exceso,z=15,sis-man=sm,norma=1M',
    state: {
      pestana: 'conversion',
      campos: {
        operacion: 'representar', sistema: 'flotante', dato: '-0', bits: '16', exp: '5',
        'pos-exp': '1', 'pos-man': '6', 'pos-signo': '0', 'sis-exp': 'exceso', exceso: '15',
        'sis-man': 'sm', norma: '1M',
      },
    },
    // The fields in the command line's order, whatever order the state lists them in.
    written: 'pestana=conversion&operacion=representar&sistema=flotante&valor=-0' +
      '&formato=bits=16,exp=5,z=15,pos-exp=1,pos-man=6,pos-signo=0,sis-exp=exceso,sis-man=sm,norma=1M',
  },
  {
    // Fixed point: the fraction bits in a word of their own, beside the width.
    address: 'pestana=conversion&operacion=interpretar&sistema=c2&patron=0x8f&formato=bits=8' +
      '&fraccion=3',
    state: {
      pestana: 'conversion',
      campos: {
        operacion: 'interpretar', sistema: 'c2', dato: '10001111', bits: '8', fraccion: '3',
      },
    },
  },
  {
    // A string not made of whole hexadecimal digits, and one typed in groups, go as typed.
    address: 'operacion=interpretar&sistema=c2&cadena=101&formato=bits=3',
    state: { pestana: 'dialogo', campos: { operacion: 'interpretar', sistema: 'c2', dato: '101', bits: '3' } },
  },
  {
    address: 'operacion=interpretar&sistema=sm&cadena=0100%200000%20%26%2B',
    state: { pestana: 'dialogo', campos: { operacion: 'interpretar', sistema: 'sm', dato: '0100 0000 &+' } },
  },
  {
    address: 'pestana=practica&operacion=representar&sistema=c2&valor=-5&practica=c2,exceso' +
      '&practica-bits=8&ejercicios=12&semilla=5&ronda=si',
    state: {
      pestana: 'practica',
      campos: {
        operacion: 'representar', sistema: 'c2', dato: '-5', 'practica-sistemas': ['c2', 'exceso'],
        'practica-bits': '8', 'practica-n': '12', 'practica-semilla': '5',
      },
      ronda: true,
    },
  },
  {
    // An operation: the operand typed as a string, the sign as the list has it.
    address: 'pestana=operar&op-ampliado=si&op-sistema=c1&a=-3&op=%2B&b=0b1101&op-bits=4',
    state: {
      pestana: 'operar',
      campos: {
        'operar-sistema': 'c1', 'operar-a': '-3', 'operar-op': '+', 'operar-b': '0b1101',
        'operar-bits': '4', 'operar-ampliado': true,
      },
    },
  },
];

for (const { address, state, written } of kKnown) {
  const read = direccion.leer('#' + address);
  const expected = { pestana: state.pestana, campos: state.campos, ronda: !!state.ronda };
  check(same({ ...read, campos: sortKeys(read.campos) }, { ...expected, campos: sortKeys(expected.campos) }),
    `read ${address}` + (same(read, expected) ? '' : `: ${JSON.stringify(read)}`));
  const out = direccion.escribir(state);
  check(out === (written || address), `written ${written || address}` +
    (out === (written || address) ? '' : `: got ${out}`));
}

function sortKeys(object) {
  return Object.fromEntries(Object.entries(object).sort(([a], [b]) => a.localeCompare(b)));
}

// Words the page does not know, malformed escapes and a pattern that is not hexadecimal: the
// rest of the address still reads.
const kOdd = [
  ['#sistema=c2&nada=1&=x&valor', { sistema: 'c2' }],
  ['#sistema=c2&valor=5%', { sistema: 'c2', dato: '5%' }],
  ['#sistema=flotante&patron=0xzz&cadena=11', { sistema: 'flotante', dato: '11' }],
  ['#formato=ieee64,pos-man=9,raro=1,ieee16', { formato: 'ieee64', 'pos-man': '9' }],
  ['', {}],
];
for (const [address, campos] of kOdd) {
  const read = direccion.leer(address);
  check(same(sortKeys(read.campos), sortKeys(campos)) && read.pestana === 'dialogo',
    `odd address "${address}"` + (same(sortKeys(read.campos), sortKeys(campos)) ? '' : `: ${JSON.stringify(read.campos)}`));
}

// Random states: written, read back, the same; a plain pattern as BigInt's hexadecimal.
const seed = Number(process.env.REPBIN_SEED || Date.now() % 1000000);
const random = generator(seed);
const pick = (list) => list[Math.floor(random() * list.length)];
const kText = ' -+.,=&%#?/:_0123456789abcxyzáñ€';
let bad = 0;
for (let n = 0; n < 500; ++n) {
  const campos = { operacion: pick(['representar', 'interpretar']), sistema: pick(['c2', 'flotante']) };
  const bits = Array.from({ length: 1 + Math.floor(random() * 64) }, () => pick(['0', '1'])).join('');
  const text = Array.from({ length: Math.floor(random() * 12) }, () => pick([...kText])).join('');
  campos.dato = campos.operacion === 'interpretar' && random() < 0.6 ? bits : text;
  if (campos.dato === '') delete campos.dato;
  if (random() < 0.5) campos.formato = pick(['ieee16', 'ieee64', 'bfloat16']);
  for (const id of ['bits', 'exp', 'exceso', 'pos-exp', 'pos-man', 'pos-signo']) {
    if (random() < 0.3) campos[id] = String(Math.floor(random() * 70));
  }
  if (random() < 0.3) campos['sis-exp'] = pick(['exceso', 'sm', 'c1', 'c2']);
  if (random() < 0.3) campos.norma = pick(['1M', '0M', '01M']);
  if (random() < 0.5) campos.ampliado = true;
  if (random() < 0.3) campos['ver-s'] = true;
  if (random() < 0.4) campos['practica-sistemas'] = ['natural', 'flotante'].filter(() => random() < 0.7);
  if (random() < 0.4) campos['practica-semilla'] = text;
  if (campos['practica-sistemas'] && campos['practica-sistemas'].length === 0) delete campos['practica-sistemas'];
  if (random() < 0.4) {
    campos['operar-sistema'] = pick(['natural', 'c1', 'exceso']);
    campos['operar-op'] = pick(['+', '-']);
    campos['operar-a'] = text || '0';
    campos['operar-b'] = '0b' + bits;
    if (random() < 0.5) campos['operar-ampliado'] = true;
  }
  const state = { pestana: pick(['dialogo', 'conversion', 'practica', 'operar']), campos, ronda: random() < 0.3 };
  if (campos['practica-semilla'] === '') delete campos['practica-semilla'];
  const address = direccion.escribir(state);
  const read = direccion.leer('#' + address);
  let ok = same({ ...read, campos: sortKeys(read.campos) }, { ...state, campos: sortKeys(campos) });
  // What a browser keeps of the address: no space, '#' or '&' inside a value.
  ok &&= !/[ #]/.test(address) && address.split('&').every((w) => /^[a-z-]+=/.test(w));
  const plain = campos.operacion === 'interpretar' && campos.dato === bits && bits.length % 4 === 0;
  if (plain) {
    const hex = '0x' + BigInt('0b' + bits).toString(16).padStart(bits.length / 4, '0');
    ok &&= address.includes(`&patron=${hex}`) && !address.includes('cadena=');
  }
  if (!ok && bad++ < 5) check(false, `random state ${JSON.stringify(state)} -> ${address}`);
}
check(bad === 0, `500 random states through the address and back (REPBIN_SEED=${seed})`);

if (failures.length) {
  console.log(`${failures.length} failed`);
  process.exit(1);
}
console.log('all address tests passed');
