// Browser tests of the "Formato" panel of the conversion tab and its ← → buttons.
// - For random formats (custom layouts and integer systems, as the picture's tests draw them)
//   and the named ones, the panel says what the native `repbin formato --json` says.
// - Stepping in ieee32 and ieee64: the next value is the one the machine's own arithmetic gives
//   (the pattern's bits plus one, as an integer), the address takes it, and stepping back
//   returns to the value; at the largest value there is no next one.
// - At 390x844 and 360x740 the panel is no wider than the screen; axe-core's audit of it.

// The panel as the page shows it.
function card(page) {
  return page.evaluate(() => {
    const lines = {};
    document.querySelectorAll('#tarjeta-datos dd').forEach((dd) => {
      lines[dd.dataset.clave] = {
        number: dd.querySelector('.numero').textContent,
        patterns: Array.from(dd.querySelectorAll('.cadena'), (c) => c.textContent),
      };
    });
    return {
      hidden: document.getElementById('tarjeta-formato').hidden,
      lines,
      value: document.getElementById('tarjeta-valor').textContent,
      neighbours: !document.getElementById('vecinos').hidden,
      previous: document.getElementById('anterior').disabled,
      next: document.getElementById('siguiente').disabled,
      drawn: document.getElementById('valor-leido').textContent,
      pattern: Array.from(document.querySelectorAll('#patron button.bit'), (b) => b.textContent).join(''),
      hash: location.hash,
    };
  });
}

// A number of the native JSON text exactly as written (JSON.parse would round a 64-bit count).
function rawNumber(line, key) {
  return new RegExp(`"${key}":(-?\\d+(?:\\.\\d+)?)`).exec(line)[1];
}

// What the panel must say, from the native program's card.
function expectedCard(line) {
  const json = JSON.parse(line);
  const lines = {};
  if (json.sistema === 'flotante') {
    for (const key of ['maximo', 'minimo_normalizado', 'minimo_positivo']) {
      lines[key] = { number: json[key].cientifico, patterns: [json[key].cadena] };
    }
    lines.epsilon = { number: json.epsilon.cientifico, patterns: [] };
    lines.precision = {
      number: `${json.precision} bits, ${json.digitos_decimales} cifras decimales`, patterns: [],
    };
  } else {
    const range = line.slice(line.indexOf('"rango"'));
    lines.rango = {
      number: `de ${rawNumber(range, 'min')} a ${rawNumber(range, 'max')}`,
      patterns: [json.rango.cadena_min, json.rango.cadena_max],
    };
  }
  lines.valores = { number: rawNumber(line, 'valores'), patterns: [] };
  lines.ceros = { number: '', patterns: json.ceros };
  let value = '';
  if (json.vecinos) {
    const parts = [];
    if (json.truncamiento) parts.push(`Valor en notación científica: ${json.truncamiento.cientifico}`);
    if (json.vecinos.anterior) parts.push(`anterior: ${json.vecinos.anterior.cientifico}`);
    if (json.vecinos.siguiente) parts.push(`siguiente: ${json.vecinos.siguiente.cientifico}`);
    value = `${parts.join('; ')}.`;
  }
  return { lines, value };
}

// The exact decimal of a binary fraction m x 2^e (m a BigInt), by integer arithmetic.
function exactDecimal(m, e) {
  const sign = m < 0n ? '-' : '';
  if (m < 0n) m = -m;
  if (e >= 0) return sign + (m << BigInt(e)).toString();
  const digits = (m * 5n ** BigInt(-e)).toString().padStart(-e + 1, '0');
  const text = `${digits.slice(0, digits.length + e)}.${digits.slice(digits.length + e)}`
    .replace(/\.?0+$/, '');
  return sign + text;
}

// The machine's format as (bits, exponent bits): a pattern's value, and the pattern one step
// above a positive value.
const kMachine = {
  ieee32: { width: 32, exp: 8, bias: 127 },
  ieee64: { width: 64, exp: 11, bias: 1023 },
};
function valueOf(format, pattern) {
  const { width, exp, bias } = kMachine[format];
  const man = width - 1 - exp;
  const bits = BigInt(`0b${pattern}`);
  const e = Number((bits >> BigInt(man)) & ((1n << BigInt(exp)) - 1n));
  let m = bits & ((1n << BigInt(man)) - 1n);
  if (e !== 0) m |= 1n << BigInt(man);
  const value = exactDecimal(m, Math.max(e, 1) - bias - man);
  return pattern[0] === '1' && value !== '0' ? `-${value}` : value;
}
function patternOf(format, x) {
  const view = new DataView(new ArrayBuffer(8));
  if (format === 'ieee32') {
    view.setFloat32(0, x);
    return view.getUint32(0).toString(2).padStart(32, '0');
  }
  view.setFloat64(0, x);
  return view.getBigUint64(0).toString(2).padStart(64, '0');
}
// One step away from zero for a positive pattern, toward it for a negative one (the integer
// order of IEEE patterns), so "next" (the larger value) of a positive value is the pattern + 1.
function nextPattern(pattern) {
  const width = pattern.length;
  const bits = BigInt(`0b${pattern}`);
  const step = pattern[0] === '0' ? bits + 1n : (bits === 1n << BigInt(width - 1) ? 1n : bits - 1n);
  return step.toString(2).padStart(width, '0');
}

// Values to step from, in ieee32 and ieee64, each a number the machine stores exactly.
const kSteps = [
  { formato: 'ieee32', x: 1 },
  { formato: 'ieee32', x: -2.5 },
  { formato: 'ieee32', x: Math.fround(0.1) },
  // Subnormal, too long to type as a decimal: read as a pattern (printf's %f says 0.000000).
  { formato: 'ieee32', x: Math.fround(3e-39), leer: true },
  { formato: 'ieee64', x: 1 },
  { formato: 'ieee64', x: -1000.125 },
  // Its next value's decimal is too long to type: the page steps to its pattern.
  { formato: 'ieee32', x: 0 },
];

export async function testCard(page, t) {
  const { check, random, randomCase, setForm, runNative, audit } = t;
  await page.click('#pestana-conversion');

  // Random formats, and the named ones with a value.
  const cases = [];
  for (let i = 0; i < 4; ++i) cases.push(randomCase(random));
  for (const formato of ['ieee16', 'fp8-e4m3', 'ieee64']) {
    cases.push({ sistema: 'flotante', fields: { formato, dato: '0.3' }, options: ['-f', formato] });
  }
  for (const c of cases) {
    const fields = c.pattern ? { ...c.fields, dato: c.pattern } : { sistema: 'flotante', ...c.fields };
    await setForm(page, fields);
    const shown = await card(page);
    const args = ['formato', c.sistema, ...c.options];
    if (c.sistema !== 'flotante') args.push('-b', String(c.pattern.length));
    if (c.sistema === 'flotante' && /^-?\d+(\.\d+)?$/.test(shown.drawn)) args.push('--valor', shown.drawn);
    const native = runNative([...args, '--json']);
    const line = native.text.split('\n').find((l) => l.startsWith('{'));
    const what = `format card of ${args.join(' ')}`;
    if (!line) {
      check(shown.hidden, `${what}: hidden, as the program refuses the format`);
      continue;
    }
    const expected = expectedCard(line);
    const faults = [];
    if (shown.hidden) faults.push('hidden');
    for (const key of new Set([...Object.keys(expected.lines), ...Object.keys(shown.lines)])) {
      const a = JSON.stringify(shown.lines[key]);
      const e = JSON.stringify(expected.lines[key]);
      if (a !== e) faults.push(`${key}: ${a} vs ${e}`);
    }
    if (shown.value !== expected.value) faults.push(`value line "${shown.value}" vs "${expected.value}"`);
    check(faults.length === 0, what + (faults.length ? `: ${faults.slice(0, 3).join('; ')}` : ''));
  }

  // Stepping: next, then previous.
  for (const s of kSteps) {
    const what = `${s.formato}: stepping from ${s.x}`;
    const pattern = patternOf(s.formato, s.x);
    await setForm(page, s.leer
      ? { operacion: 'interpretar', sistema: 'flotante', formato: s.formato, dato: pattern }
      : { sistema: 'flotante', formato: s.formato, dato: valueOf(s.formato, pattern) });
    const start = await card(page);
    const faults = [];
    if (start.pattern !== pattern) faults.push(`drawn ${start.pattern}`);
    await page.click('#siguiente');
    const next = await card(page);
    const expected = nextPattern(pattern);
    if (next.pattern !== expected) faults.push(`next pattern ${next.pattern}, machine ${expected}`);
    // A subnormal pattern's value in the picture is the program's own reading, not IEEE 754's.
    const normal = /[1]/.test(expected.slice(1, 1 + kMachine[s.formato].exp));
    if (normal && next.drawn !== valueOf(s.formato, expected)) faults.push(`next value ${next.drawn}`);
    if (next.hash === start.hash) faults.push('the address kept the old value');
    await page.click('#anterior');
    const back = await card(page);
    if (back.pattern !== pattern || back.drawn !== start.drawn) faults.push(`back at ${back.drawn}`);
    if (s.x === Math.fround(3e-39) && !/notación científica: 3\.000001e-39;/.test(start.value)) {
      faults.push(`no scientific notation in "${start.value}"`);
    }
    check(faults.length === 0, what + (faults.length ? `: ${faults.join('; ')}` : ''));
  }
  // Back in the history returns to the value before the step (zero, the table's last).
  await page.click('#siguiente');
  await page.goBack();
  const returned = await page.waitForFunction(
    () => document.getElementById('valor-leido').textContent === '0', { timeout: 2000 })
    .then(() => true, () => false);
  check(returned, 'Back after a step returns to the value before it');

  // The largest value has no next one; a pattern read steps by patterns.
  await setForm(page, { operacion: 'interpretar', sistema: 'flotante', dato: '0x7f7fffff' });
  const largest = await card(page);
  check(largest.next && !largest.previous && largest.neighbours,
    'the largest single-precision value: no next value, a previous one');
  await page.click('#anterior');
  const below = await card(page);
  check(below.pattern === patternOf('ieee32', 2 ** 128 - 2 ** 105),
    `a pattern read steps to the pattern below (${below.pattern})`);

  await audit(page, 'conversion tab with the format card');
  for (const [width, height] of [[390, 844], [360, 740]]) {
    // The phone's width alone: a touch screen would reload the page (phone_browser.js has one).
    await page.setViewport({ width, height });
    await setForm(page, { sistema: 'flotante', formato: 'ieee64', dato: '-0.1', ampliado: true });
    const wide = await page.evaluate(() => {
      const box = document.getElementById('tarjeta-formato').getBoundingClientRect();
      return document.documentElement.scrollWidth - document.documentElement.clientWidth +
        Math.max(0, box.right - document.documentElement.clientWidth);
    });
    check(wide <= 0, `phone ${width}x${height}: the format card fits the screen`);
  }
  await page.setViewport({ width: 1280, height: 800 });
}
