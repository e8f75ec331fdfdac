// Browser tests of the page's address: random states set through the form (random layouts,
// some bits flipped by clicking, the extended report), the address read back and opened in a
// new page, which must show the same picture, value and trace, the native program's; Back and
// Forward between states; a practice round's options and seed; the link button.

import { showOptions } from './practice_browser.js';

// The state a page shows, as the tests compare it.
function view(page) {
  return page.evaluate(() => ({
    tab: document.querySelector('[role="tab"][aria-selected="true"]').id,
    cells: Array.from(document.querySelectorAll('#patron button.bit'), (b) =>
      `${b.dataset.pos}${b.dataset.campo}${b.textContent}`).join(' '),
    hidden: document.querySelectorAll('#patron .implicita').length,
    trace: document.getElementById('resultado').textContent,
    command: document.getElementById('orden').textContent,
    hex: document.getElementById('hex').textContent,
    value: document.getElementById('valor-leido').textContent,
    exact: document.getElementById('dibujo-ampliado').hidden ? '' :
      document.getElementById('exacto').textContent,
    withS: document.getElementById('dibujo').classList.contains('con-s'),
  }));
}

const loaded = (page) => page.waitForFunction(
  () => document.getElementById('entrada').disabled === false &&
    document.getElementById('resultado').textContent !== '', { timeout: 10000 });

function differences(a, b) {
  return Object.keys(a).filter((k) => a[k] !== b[k]).map((k) =>
    `${k}: ${JSON.stringify(a[k]).slice(0, 60)} vs ${JSON.stringify(b[k]).slice(0, 60)}`);
}

export async function testAddress(browser, page, t) {
  const { check, random, randomCase, setForm, runNative } = t;
  await page.click('#pestana-conversion');
  const other = await browser.newPage();
  await other.setViewport({ width: 1280, height: 800 });
  let cases = 0;
  while (cases < 10) {
    const c = randomCase(random);
    if (runNative(['interpretar', c.sistema, c.pattern, ...c.options]).status !== 0) continue;
    ++cases;
    const extra = { ampliado: random() < 0.5, 'ver-s': random() < 0.3 };
    await page.bringToFront();  // a page in the background draws nothing, clicks wait for it
    await setForm(page, { ...c.fields, ...extra, dato: c.pattern });
    // Half the time a bit flipped by a click, as a student finds a pattern.
    if (random() < 0.5) {
      const pos = Math.floor(random() * c.pattern.length);
      await page.click(`#patron button.bit[data-pos="${pos}"]`);
    }
    const here = await view(page);
    const address = page.url();
    await other.bringToFront();
    await other.goto(address, { waitUntil: 'load' });
    await loaded(other);
    const there = await view(other);
    const faults = differences(here, there);
    const args = here.command.replace(/^repbin /, '').split(' ').map((a) => a.replace(/^'|'$/g, ''));
    if (there.trace !== runNative(args).text) faults.push('trace differs from the native program\'s');
    if (there.cells === '') faults.push('no picture');
    check(faults.length === 0, `address: ${address.replace(/^.*#/, '#')} opens the same view` +
      (faults.length ? `: ${faults.slice(0, 3).join('; ')}` : ''));
  }

  // Back and Forward: each state chosen is an entry of the history, the tab too.
  await page.bringToFront();
  const states = [];
  const note = async () => states.push({ view: await view(page), url: page.url() });
  await setForm(page, { sistema: 'c2', dato: '-5', bits: '8' });
  await note();
  await setForm(page, { sistema: 'flotante', operacion: 'interpretar', dato: '0' + '1'.repeat(9) + '0'.repeat(22) });
  await note();
  await page.click('#patron button.bit[data-pos="0"]');  // a quiet NaN, now with its sign set
  await note();
  await page.click('#pestana-dialogo');
  const faults = [];
  for (const [how, i] of [['back', 2], ['back', 1], ['back', 0], ['forward', 1], ['forward', 2]]) {
    await page.evaluate((how) => history[how](), how);
    await page.waitForFunction((url) => location.href === url, { timeout: 5000 }, states[i].url);
    faults.push(...differences(states[i].view, await view(page)).map((d) => `${how} to ${i}: ${d}`));
  }
  check(faults.length === 0 && /patron=0xffc00000/.test(states[2].url),
    `address: Back and Forward step through the states chosen (${states[2].url.replace(/^.*#/, '#')})` +
      (faults.length ? `: ${faults.slice(0, 3).join('; ')}` : ''));

  // Typing makes one entry of the history, however many pauses it has: Back returns to the
  // state before the field was touched.
  await page.click('#pestana-conversion');
  await setForm(page, { sistema: 'c2', dato: '7', bits: '16' });
  const untyped = page.url();
  for (const key of ['1', '2', '3']) {
    await page.type('#dato', key);
    await new Promise((resolve) => setTimeout(resolve, 600));  // past the live conversion's pause
  }
  const typed = page.url();
  await page.evaluate(() => history.back());
  await page.waitForFunction((url) => location.href === url, { timeout: 5000 }, untyped)
    .catch(() => {});
  const back = page.url();
  check(/valor=7123/.test(typed) && back === untyped,
    'address: typing 7 then 1, 2, 3 with pauses is one entry, Back returns to 7' +
      (back === untyped ? '' : `, not ${back.replace(/^.*#/, '#')}`));

  // A practice round: the link opens the same options and seed, the round started, its options
  // folded away.
  await page.click('#pestana-practica');
  await showOptions(page);
  await page.evaluate(() => {
    document.getElementById('practica-opciones').reset();
    document.querySelector('input[name="practica-sistema"][value="exceso"]').checked = true;
    document.getElementById('practica-bits').value = '6';
    document.getElementById('practica-semilla').value = '';
  });
  await page.click('#practica-empezar');
  const round = await page.evaluate(() => ({
    statement: document.getElementById('practica-enunciado').textContent,
    command: document.getElementById('practica-orden').textContent,
    folded: document.getElementById('practica-opciones').hidden &&
      !document.getElementById('practica-ver-opciones').hidden,
  }));
  await other.bringToFront();
  await other.goto(page.url(), { waitUntil: 'load' });
  await loaded(other);
  const opened = await other.evaluate(() => ({
    statement: document.getElementById('practica-enunciado').textContent,
    command: document.getElementById('practica-orden').textContent,
    folded: document.getElementById('practica-opciones').hidden &&
      !document.getElementById('practica-ver-opciones').hidden,
  }));
  // The same words, wherever the seed goes among them.
  const words = (command) => command.split(' ').sort().join(' ');
  const same = round.statement === opened.statement && round.folded === opened.folded &&
    words(round.command) === words(opened.command);
  check(round.folded && same && /--semilla \d+/.test(round.command),
    `address: a practice round's link opens the same round (${opened.command})` +
      (same ? '' :
        `: ${JSON.stringify(round)} vs ${JSON.stringify(opened)}`));
  await page.bringToFront();
  await page.click('#practica-ver-opciones');
  const shown = await page.$eval('#practica-opciones', (f) => !f.hidden);
  const expanded = await page.$eval('#practica-ver-opciones', (b) => b.getAttribute('aria-expanded'));
  check(shown && expanded === 'true', 'practice: the button shows the folded options again');

  // The "Operar" tab: operations typed in the form give the native program's trace, and their
  // link opens the same operation. Operands drawn at random, decimal or as strings.
  await page.bringToFront();
  await page.click('#pestana-operar');
  const operandFaults = [];
  for (let n = 0; n < 6; ++n) {
    // Four in the integer systems, two in floating point.
    const system = n >= 4 ? 'flotante' : ['natural', 'sm', 'c1', 'c2', 'exceso'][Math.floor(random() * 5)];
    const width = 3 + Math.floor(random() * 6);
    const operand = () => random() < 0.5
      ? '0b' + Array.from({ length: width }, () => (random() < 0.5 ? '0' : '1')).join('')
      : String(Math.floor(random() * 2 ** (width - 1)) * (system === 'natural' || random() < 0.5 ? 1 : -1));
    const decimal = () => String(Math.round((random() - 0.5) * 4000) / 64);
    const fields = system === 'flotante' ? {
      'operar-sistema': system, 'operar-a': decimal(), 'operar-op': ['+', '-', 'x'][n % 3],
      'operar-b': decimal(), 'operar-formato': ['', 'ieee16', 'bfloat16'][Math.floor(random() * 3)],
      'operar-redondeo': ['', 'cercano', 'cero', 'arriba', 'abajo'][Math.floor(random() * 5)],
      'operar-ampliado': false,
    } : {
      'operar-sistema': system, 'operar-a': operand(), 'operar-op': random() < 0.5 ? '+' : '-',
      'operar-b': operand(), 'operar-bits': String(width), 'operar-ampliado': random() < 0.3,
    };
    await page.evaluate((fields) => {
      for (const [id, value] of Object.entries(fields)) {
        const element = document.getElementById(id);
        if (element.type === 'checkbox') element.checked = value; else element.value = value;
      }
      document.getElementById('operar-calcular').click();
    }, fields);
    const args = ['operar', fields['operar-sistema'], fields['operar-a'], fields['operar-op'],
      fields['operar-b'], ...(system === 'flotante'
        ? [...(fields['operar-formato'] ? ['-f', fields['operar-formato']] : []),
          ...(fields['operar-redondeo'] ? ['--redondeo', fields['operar-redondeo']] : [])]
        : ['-b', fields['operar-bits']]),
      ...(fields['operar-ampliado'] ? ['--ampliado'] : [])];
    const expected = runNative(args).text;
    const here = await page.$eval('#operar-traza', (r) => r.textContent);
    await other.bringToFront();
    await other.goto(page.url(), { waitUntil: 'load' });
    await loaded(other);
    const there = await other.evaluate(() => ({
      trace: document.getElementById('operar-traza').textContent,
      tab: document.querySelector('[role="tab"][aria-selected="true"]').id,
    }));
    await page.bringToFront();
    if (here !== expected) operandFaults.push(`${args.join(' ')}: not the native trace`);
    if (there.trace !== expected || there.tab !== 'pestana-operar') {
      operandFaults.push(`${args.join(' ')}: its link opens ${there.tab}, another trace`);
    }
  }
  check(operandFaults.length === 0, 'operar: six random operations (two in floating point), the ' +
    'native traces, their links' +
    (operandFaults.length ? `: ${operandFaults.slice(0, 2).join('; ')}` : ''));

  await other.close();

  // The link button puts the address on the clipboard.
  const context = browser.defaultBrowserContext();
  await context.overridePermissions(new URL(page.url()).origin, ['clipboard-read', 'clipboard-write'])
    .catch(() => {});
  await page.click('#copiar-enlace');
  await page.waitForFunction(() => document.getElementById('aviso-enlace').textContent !== '');
  const said = await page.$eval('#aviso-enlace', (a) => a.textContent);
  check(/^(Enlace copiado\.|Copie el enlace de la barra de direcciones\.)$/.test(said),
    `copy link: "${said}"`);
  await page.click('#pestana-dialogo');
}
