// Browser tests of the web page, in a headless Chromium driven through puppeteer-core.
//
// - Every session script in examples/ is typed answer by answer into the console; the console's
//   text without the typed answers must equal what the native program prints for the same input
//   with both streams merged.
// - The one-conversion form, for a table of cases, must build the expected command line and
//   print what the native program prints for it.
// - Timing: the first menu after loading, and each answer of a 40-answer session.
// - No request leaves the page's folder; the page fits a 390-pixel-wide screen.
// - Screenshots for the README (desktop and phone width) go to doc/.
//
// Environment: REPBIN_SITE (default build/web/site), REPBIN_NATIVE (default
// build/default/repbin), CHROMIUM (default /usr/bin/chromium).
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import puppeteer from 'puppeteer-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = process.env.REPBIN_SITE || path.join(root, 'build/web/site');
const native = process.env.REPBIN_NATIVE || path.join(root, 'build/default/repbin');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const pageUrl = pathToFileURL(path.join(site, 'index.html')).href;

const kFirstMenuMs = 300;
const kAnswerMs = 50;

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
}

// What the native program prints, both streams merged as on a terminal, in UTF-8.
function runNative(args, input) {
  const run = spawnSync('sh', ['-c', '"$0" "$@" --utf8 2>&1', native, ...args], {
    input: input ?? '',
    encoding: 'utf8',
  });
  return { text: run.stdout, status: run.status };
}

// The first lines where two texts differ, for the failure report.
function firstDifference(expected, actual) {
  const e = expected.split('\n');
  const a = actual.split('\n');
  for (let i = 0; i < Math.max(e.length, a.length); ++i) {
    if (e[i] !== a[i]) {
      return `line ${i + 1}: expected ${JSON.stringify(e[i])}, got ${JSON.stringify(a[i])}`;
    }
  }
  return 'no difference';
}

// The console's text without the typed answers.
function programText(page) {
  return page.$eval('#consola', (consola) => {
    const copy = consola.cloneNode(true);
    copy.querySelectorAll('.respuesta').forEach((span) => span.remove());
    return copy.textContent;
  });
}

async function newSession(page) {
  await page.click('#nueva');
  await page.evaluate(() => {
    window.tiemposRespuesta.length = 0;
  });
}

// Types each answer into the input line and sends it with Enter.
async function answer(page, words) {
  for (const word of words) {
    if (await page.$eval('#entrada', (entrada) => entrada.disabled)) {
      throw new Error(`the session ended before the answer ${JSON.stringify(word)}`);
    }
    await page.focus('#entrada');
    await page.keyboard.type(word);
    await page.keyboard.press('Enter');
  }
}

async function testExamples(page) {
  const dir = path.join(root, 'examples');
  for (const name of fs.readdirSync(dir).filter((f) => f.endsWith('.in')).sort()) {
    const input = fs.readFileSync(path.join(dir, name), 'utf8');
    const expected = runNative([], input).text;
    await newSession(page);
    // After every answer the console shows the dialogue up to the next question: a prefix of
    // the whole session's output, never what a session cut short prints as it unwinds.
    let prefixes = true;
    for (const word of input.split(/\s+/).filter((w) => w !== '')) {
      await answer(page, [word]);
      prefixes &&= expected.startsWith(await programText(page));
    }
    check(prefixes, `example ${name}: after each answer the console is a prefix of the session`);
    const actual = await programText(page);
    check(actual === expected, `example ${name}: console equals the native output` +
      (actual === expected ? '' : ` (${firstDifference(expected, actual)})`));
  }
}

// A 40-answer session (12 two's complement conversions in 8 bits, each one back at the main
// menu), timed answer by answer.
async function testLongSession(page) {
  const words = ['1', '6', '8'];
  for (let v = -6; v < 6; ++v) words.push('1', '3', String(v * 11));
  words.push('0');
  await newSession(page);
  await answer(page, words);
  const times = await page.evaluate(() => window.tiemposRespuesta.slice());
  const slowest = Math.max(...times);
  console.log(`     ${words.length} answers: slowest ${slowest.toFixed(1)} ms, last ` +
    `${times[times.length - 1].toFixed(1)} ms`);
  check(times.length === words.length, `long session: ${times.length} answers timed`);
  check(slowest < kAnswerMs, `long session: every answer's output within ${kAnswerMs} ms`);
  const expected = runNative([], words.join('\n') + '\n').text;
  const actual = await programText(page);
  check(actual === expected, 'long session: console equals the native output' +
    (actual === expected ? '' : ` (${firstDifference(expected, actual)})`));
  const ended = await page.$eval('#entrada', (entrada) => entrada.disabled);
  check(ended, 'long session: "0" at the main menu ends the session and the input line');
  await page.click('#nueva');
  const restarted = await page.$eval('#entrada', (e) => !e.disabled && document.activeElement === e);
  const text = await programText(page);
  check(restarted && text === runNative([], '').text,
    'new session: back to the first menu, input line enabled and focused');
  await page.click('#copiar');
  await page.waitForFunction(() => document.getElementById('aviso').textContent !== '');
  check(true, 'copy button answers');
}

// Form cases: the fields to fill and the command line they stand for.
const formCases = [
  { fields: { sistema: 'c2', dato: '-5', bits: '8' }, args: 'representar c2 -5 -b 8' },
  { fields: { sistema: 'natural', dato: '13', bits: '8' }, args: 'representar natural 13 -b 8' },
  { fields: { sistema: 'sm', dato: '300', bits: '8' }, args: 'representar sm 300 -b 8' },
  { fields: { sistema: 'c1', dato: '-0', bits: '4' }, args: 'representar c1 -0 -b 4' },
  {
    fields: { sistema: 'exceso', dato: '-3', bits: '8', exceso: '127' },
    args: 'representar exceso -3 -b 8 -z 127',
  },
  { fields: { sistema: 'c2', dato: 'abc' }, args: 'representar c2 abc' },
  { fields: { operacion: 'interpretar', sistema: 'sm', dato: '1101' }, args: 'interpretar sm 1101' },
  {
    fields: { operacion: 'interpretar', sistema: 'c2', dato: '11011011', ampliado: true },
    args: 'interpretar c2 11011011 --ampliado',
  },
  {
    fields: { operacion: 'interpretar', sistema: 'c1', dato: '11111010' },
    args: 'interpretar c1 11111010',
  },
  { fields: { sistema: 'flotante', dato: '5.375' }, args: 'representar flotante 5.375' },
  {
    fields: { sistema: 'flotante', dato: '-0.1875', formato: 'ieee16' },
    args: 'representar flotante -0.1875 -f ieee16',
  },
  {
    fields: { sistema: 'flotante', dato: '0.1', formato: 'bfloat16', valor: true },
    args: 'representar flotante 0.1 -f bfloat16 --valor',
  },
  {
    fields: { sistema: 'flotante', dato: '2.5', bits: '16', exp: '5', norma: '0M' },
    args: 'representar flotante 2.5 -b 16 --exp 5 --norma 0M',
  },
  {
    fields: {
      sistema: 'flotante', dato: '-1.5', bits: '12', exp: '4', 'pos-signo': '11',
      'pos-exp': '7', 'pos-man': '0', 'sis-exp': 'c2', 'sis-man': 'c1',
    },
    args: 'representar flotante -1.5 -b 12 --exp 4 --pos-exp 7 --pos-man 0 --pos-signo 11 ' +
      '--sis-exp c2 --sis-man c1',
  },
  {
    fields: { operacion: 'interpretar', sistema: 'flotante', dato: '11000000001000000000000000000000' },
    args: 'interpretar flotante 11000000001000000000000000000000',
  },
  {
    fields: { operacion: 'interpretar', sistema: 'flotante', dato: '0011110000000000', formato: 'ieee16', ampliado: true },
    args: 'interpretar flotante 0011110000000000 -f ieee16 --ampliado',
  },
];

async function fillForm(page, fields) {
  // Start from an empty form, then set the selects and type into the text fields.
  await page.evaluate(() => {
    document.getElementById('formulario').reset();
    document.getElementById('sistema').dispatchEvent(new Event('change'));
  });
  for (const id of ['operacion', 'sistema', 'formato', 'sis-exp', 'sis-man', 'norma']) {
    if (fields[id] !== undefined) await page.select(`#${id}`, fields[id]);
  }
  for (const id of ['bits', 'exceso', 'exp', 'pos-exp', 'pos-man', 'pos-signo']) {
    if (fields[id] !== undefined) await page.type(`#${id}`, fields[id]);
  }
  for (const id of ['valor', 'ampliado']) {
    if (fields[id]) {
      await page.focus(`#${id}`);
      await page.keyboard.press('Space');
    }
  }
  await page.type('#dato', fields.dato);
  await page.keyboard.press('Enter');  // submits the form from the value field
}

async function testForm(page) {
  // The form is reached with the keyboard: right arrow on the selected tab.
  await page.focus('#pestana-dialogo');
  await page.keyboard.press('ArrowRight');
  const shown = await page.$eval('#panel-conversion', (panel) => !panel.hidden);
  const focused = await page.evaluate(() => document.activeElement.id);
  check(shown && focused === 'pestana-conversion', 'form tab: opened with the arrow key');

  for (const { fields, args } of formCases) {
    await fillForm(page, fields);
    const line = await page.$eval('#orden', (orden) => orden.textContent);
    check(line === `repbin ${args}`, `form: ${args}: command line built`);
    const expected = runNative(args.split(' '));
    const actual = await page.$eval('#resultado', (r) => ({
      text: r.textContent,
      status: Number(r.dataset.estado),
    }));
    check(actual.text === expected.text && actual.status === expected.status,
      `form: ${args}: result and status equal the native command's` +
        (actual.text === expected.text ? ` (status ${actual.status} vs ${expected.status})`
          : ` (${firstDifference(expected.text, actual.text)})`));
  }
  await page.focus('#pestana-conversion');
  await page.keyboard.press('ArrowLeft');
}

async function screenshots(page) {
  await page.setViewport({ width: 1280, height: 800 });
  await newSession(page);
  await answer(page, ['1', '6', '8', '1', '3', '-5']);
  await page.screenshot({ path: path.join(root, 'doc/web-escritorio.png') });
  await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
  await page.reload({ waitUntil: 'load' });
  await page.waitForFunction(() => document.getElementById('entrada').disabled === false);
  await answer(page, ['1', '6', '8', '1', '3', '-5']);
  const width = await page.evaluate(() => document.documentElement.scrollWidth);
  check(width <= 390, `phone width: the page is ${width} px wide, no sideways scrolling`);
  await page.screenshot({ path: path.join(root, 'doc/web-movil.png') });
  await page.setViewport({ width: 1280, height: 800 });
}

async function main() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'repbin-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${profile}`,
    ],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1280, height: 800 });
    const outside = [];
    page.on('request', (request) => {
      if (!/^(file|data):/.test(request.url())) outside.push(request.url());
    });
    const errors = [];
    page.on('pageerror', (error) => errors.push(String(error)));
    page.on('console', (message) => {
      if (message.type() === 'error') errors.push(message.text());
    });
    // Before the page's scripts: note when the first menu appears, and time each answer from
    // the submission of the input line to the end of its handling (the console redrawn).
    await page.evaluateOnNewDocument(() => {
      window.tiemposRespuesta = [];
      let since = 0;
      window.addEventListener('submit', (e) => {
        if (e.target.id === 'linea') since = performance.now();
      }, true);
      window.addEventListener('submit', (e) => {
        if (e.target.id === 'linea') window.tiemposRespuesta.push(performance.now() - since);
      });
      const observer = new MutationObserver(() => {
        const consola = document.getElementById('consola');
        if (consola && consola.textContent.includes('0) Salir')) {
          window.primerMenu = performance.now();
          observer.disconnect();
        }
      });
      observer.observe(document, { childList: true, subtree: true, characterData: true });
    });

    // "After loading": from the moment the page's file has been read; this covers parsing,
    // loading the script, compiling the module and running the first session. The first load
    // in a fresh browser also pays for starting the browser's page machinery, so the figure
    // checked is the second load's; both are printed.
    const firstMenu = async (load) => {
      await load();
      await page.waitForFunction(() => window.primerMenu !== undefined, { timeout: 10000 });
      return page.evaluate(() => {
        const navigation = performance.getEntriesByType('navigation')[0];
        return window.primerMenu - navigation.responseEnd;
      });
    };
    const cold = await firstMenu(() => page.goto(pageUrl, { waitUntil: 'load' }));
    const warm = await firstMenu(() => page.reload({ waitUntil: 'load' }));
    console.log(`     first menu ${warm.toFixed(1)} ms after the page was read ` +
      `(${cold.toFixed(1)} ms on the first load in a fresh browser)`);
    check(warm < kFirstMenuMs, `first menu within ${kFirstMenuMs} ms of loading`);

    await testExamples(page);
    await testLongSession(page);
    await testForm(page);
    await screenshots(page);

    check(outside.length === 0, 'no request outside the page folder' +
      (outside.length ? `: ${outside.join(', ')}` : ''));
    check(errors.length === 0, 'no script errors' + (errors.length ? `: ${errors.join('; ')}` : ''));
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  if (failures.length) {
    console.log(`${failures.length} failed`);
    process.exit(1);
  }
  console.log('all browser tests passed');
}

await main();
