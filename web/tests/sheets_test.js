// Tests of the exam sheets that need a browser or a third-party reader, run on the native
// program's output:
//
// - The printable page (`repbin ejercicios --salida html`) is printed to PDF by headless Chromium
//   on A4: every variant starts a page of its own, in order, the answer keys come after all of
//   them on pages of their own, and no text lies outside the printable area.
// - The Moodle question bank (`--salida gift`) is read by gift-pegjs, a GIFT parser written by
//   others: every question is there, in its variant's category, with every accepted answer of
//   its key (the bit string, grouped in fours, the hexadecimal of a floating-point pattern).
//
// Environment: REPBIN_NATIVE (default build/default/repbin), CHROMIUM (default /usr/bin/chromium).
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { parse as parseGift } from 'gift-pegjs';
import { getDocument } from 'pdfjs-dist/legacy/build/pdf.mjs';
import puppeteer from 'puppeteer-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const native = process.env.REPBIN_NATIVE || path.join(root, 'build/default/repbin');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';

const kMarginPt = (15 / 25.4) * 72; // the page's @page margin, 15 mm
const kSlackPt = 1;

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
}

function sheet(args) {
  const run = spawnSync(native, ['ejercicios', ...args], { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`repbin ejercicios ${args.join(' ')}: ${run.stderr}`);
  return run.stdout;
}

const letter = (v) => String.fromCharCode(65 + v);

// --- The printable page ------------------------------------------------------------------------

// The text items of every page of a PDF, with the page's size.
async function pdfPages(bytes) {
  const pdf = await getDocument({ data: new Uint8Array(bytes), verbosity: 0 }).promise;
  const pages = [];
  for (let n = 1; n <= pdf.numPages; ++n) {
    const page = await pdf.getPage(n);
    const { width, height } = page.getViewport({ scale: 1 });
    const items = (await page.getTextContent()).items.filter((i) => i.str.trim() !== '');
    pages.push({ width, height, items });
  }
  await pdf.destroy();
  return pages;
}

async function checkPrintedPage(browser, args, variants) {
  const name = `--salida html ${args.join(' ')}`;
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'repbin-sheet-'));
  const file = path.join(dir, 'hoja.html');
  fs.writeFileSync(file, sheet([...args, '--salida', 'html']));
  const page = await browser.newPage();
  const requests = [];
  page.on('request', (r) => {
    if (!r.url().startsWith('file:')) requests.push(r.url());
  });
  await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
  const pdf = await page.pdf({ format: 'A4', printBackground: true });
  await page.close();
  fs.rmSync(dir, { recursive: true, force: true });
  check(requests.length === 0, `${name}: the page is self-contained (${requests.length} requests)`);

  const pages = await pdfPages(pdf);
  const pageOf = (text) => pages.findIndex((p) => p.items.some((i) => i.str.trim() === text));
  // Each variant's heading on a page after the previous variant's, then each key on a later page.
  const starts = [];
  for (let v = 0; v < variants; ++v) starts.push(pageOf(`Variante ${letter(v)}`));
  for (let v = 0; v < variants; ++v) starts.push(pageOf(`Soluciones de la variante ${letter(v)}`));
  const ordered = starts.every((p, i) => p >= 0 && (i === 0 || p > starts[i - 1]));
  check(ordered, `${name}: ${pages.length} pages; variants and keys start at pages ${starts}`);
  check(pages.length >= variants + 1, `${name}: at least one page per variant plus the keys`);
  // The heading is the page's first text: nothing of the previous variant shares its page.
  const first = starts.every((p, i) => {
    const heading =
      i < variants ? `Variante ${letter(i)}` : `Soluciones de la variante ${letter(i - variants)}`;
    const texts = pages[p].items.map((item) => item.str.trim());
    return texts.indexOf(heading) <= 1; // after the title, or first
  });
  check(first, `${name}: each variant and each key begins its page`);

  // Printed at its own size: Chromium shrinks a page whose content is wider than the paper,
  // which would hide an overflow from the check below. Every heading is 16 pt.
  const headings = pages.flatMap((p) =>
    p.items.filter((i) => i.str.startsWith('Soluciones de la variante')),
  );
  const sizes = headings.map((i) => Math.hypot(i.transform[0], i.transform[1]));
  check(
    sizes.length > 0 && sizes.every((s) => Math.abs(s - 16) < 0.5),
    `${name}: printed unscaled (headings at ${[...new Set(sizes.map((s) => s.toFixed(1)))]} pt)`,
  );
  // Every piece of text inside the printable area of its page.
  const outside = [];
  for (const [n, p] of pages.entries()) {
    for (const item of p.items) {
      const x = item.transform[4];
      const y = item.transform[5];
      const inside =
        x >= kMarginPt - kSlackPt &&
        x + item.width <= p.width - kMarginPt + kSlackPt &&
        y >= kMarginPt - kSlackPt - item.height &&
        y <= p.height - kMarginPt + kSlackPt;
      if (!inside) outside.push(`page ${n + 1} at (${x.toFixed(0)}, ${y.toFixed(0)}): ${item.str}`);
    }
  }
  const shown = outside.slice(0, 3).join(' | ');
  check(outside.length === 0, `${name}: no text outside the page box ${shown}`);
}

// At levels 1 and 2, with the default working space, a variant of 10 exercises prints on one A4
// page: two variants without the key make two pages, over several seeds.
async function checkOnePagePerVariant(browser) {
  const counts = [];
  for (const level of ['1', '2']) {
    for (const seed of ['1', '2', '3', '4', '5']) {
      const args = ['-n', '10', '--variantes', '2', '--dificultad', level, '--semilla', seed];
      const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'repbin-sheet-'));
      const file = path.join(dir, 'hoja.html');
      fs.writeFileSync(file, sheet([...args, '--puntos', '--salida', 'html']));
      const page = await browser.newPage();
      await page.goto(pathToFileURL(file).href, { waitUntil: 'load' });
      const pdf = await page.pdf({ format: 'A4', printBackground: true });
      await page.close();
      fs.rmSync(dir, { recursive: true, force: true });
      counts.push((await pdfPages(pdf)).length);
    }
  }
  check(counts.every((n) => n === 2), `10 exercises a variant, one page each: pages ${counts}`);
}

// --- The question bank -------------------------------------------------------------------------

function checkGift(args) {
  const name = `--salida gift ${args.join(' ')}`;
  const keys = sheet([...args, '--salida', 'json'])
    .trim()
    .split('\n')
    .map((line) => JSON.parse(line));
  let bank;
  try {
    bank = parseGift(sheet([...args, '--salida', 'gift']));
  } catch (e) {
    check(false, `${name}: gift-pegjs reads the bank (${e.message})`);
    return;
  }
  const questions = bank.filter((q) => q.type !== 'Category');
  check(
    questions.length === keys.length,
    `${name}: ${questions.length} questions for ${keys.length} exercises`,
  );
  const several = keys.some((k) => k.variante !== 'A');
  let category = '';
  const wrong = [];
  let accepted = 0;
  for (const q of bank) {
    if (q.type === 'Category') {
      category = q.title;
      continue;
    }
    const m = /^Ejercicio (\d+) \(([a-z0-9-]+)(?:, variante ([A-Z]))?\)$/.exec(q.title);
    const key = m && keys.find((k) => k.numero === Number(m[1]) && k.variante === (m[3] || 'A'));
    if (!key || key.tipo !== m[2]) {
      wrong.push(`no exercise for "${q.title}"`);
      continue;
    }
    if (several && !category.startsWith(`repbin/Variante ${key.variante}/`)) {
      wrong.push(`${q.title} in category ${category}`);
    }
    if (key.operacion === 'interpretar') {
      const tolerance = key.sistema === 'flotante' ? 5e-7 : 0;
      // At a tie (the exact value halfway between two six-decimal numbers) both roundings are
      // listed, each with the tolerance: the key is one of them, the other one unit away.
      const choices = Array.isArray(q.choices)
        ? q.choices.map((c) => c.isCorrect && c.text)
        : [q.choices];
      const unit = 1.5e-6; // one unit of the sixth decimal, with room for binary rounding
      const ok =
        q.type === 'Numerical' &&
        choices.length >= 1 &&
        choices.length <= 2 &&
        choices.some((c) => c && Number(c.number) === Number(key.respuesta)) &&
        choices.every(
          (c) =>
            c &&
            Math.abs(Number(c.number) - Number(key.respuesta)) <= unit &&
            Number(c.range ?? 0) === tolerance,
        );
      if (!ok) wrong.push(`${q.title}: ${JSON.stringify(q.choices)} for ${key.respuesta}`);
      continue;
    }
    const answers = q.type === 'Short' ? q.choices.map((c) => c.isCorrect && c.text.text) : [];
    const bits = /^[01]+$/.test(key.respuesta);
    // The bit string first, then the same bits grouped in fours, and the hexadecimal of a
    // floating-point pattern.
    const expected = [key.respuesta];
    if (bits && key.respuesta.length > 4) expected.push('grouped');
    if (bits && key.sistema === 'flotante') expected.push('hex');
    const same = (a) => {
      if (a === key.respuesta) return true;
      if (/^0x[0-9A-F]+$/.test(a)) {
        const digits = Math.ceil(key.respuesta.length / 4);
        return BigInt(a) === BigInt(`0b${key.respuesta}`) && a.length - 2 === digits;
      }
      const groups = a.split(' ');
      const inner = groups.slice(1, -1);
      const ends = groups.length > 1 ? [groups[0], groups[groups.length - 1]] : groups;
      return (
        groups.join('') === key.respuesta &&
        inner.every((g) => g.length === 4) &&
        ends.filter((g) => g.length !== 4).length <= 1 &&
        ends.every((g) => g.length <= 4)
      );
    };
    const ok =
      answers[0] === key.respuesta &&
      answers.every((a) => a && same(a)) &&
      (!expected.includes('hex') || answers.some((a) => a.startsWith('0x'))) &&
      (!expected.includes('grouped') || answers.some((a) => a.includes(' ')));
    if (!ok) wrong.push(`${q.title}: ${JSON.stringify(answers)} for ${key.respuesta}`);
    accepted += answers.length;
  }
  check(
    wrong.length === 0,
    `${name}: every question with its key's answers (${accepted} short answers) ` +
      wrong.slice(0, 3).join(' | '),
  );
}

const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ['--no-sandbox', '--disable-gpu'],
});
try {
  const started = Date.now();
  const exam = ['-n', '12', '--variantes', '3', '--semilla', '5', '--soluciones', '--puntos'];
  await checkPrintedPage(browser, [...exam, '--titulo', 'Examen parcial de representación'], 3);
  // Long traces: 64-bit patterns and long fractions at the hardest level.
  const hard = ['--variantes', '2', '--dificultad', '3', '--soluciones'];
  const wide = ['-n', '6', '--semilla', '6', '--tipos', 'flotante', '-f', 'ieee64'];
  await checkPrintedPage(browser, [...hard, ...wide], 2);
  await checkPrintedPage(browser, [...hard, '-n', '40', '--semilla', '7'], 2);
  await checkOnePagePerVariant(browser);
  console.log(`     printing took ${Date.now() - started} ms`);
} finally {
  await browser.close();
}
checkGift(['-n', '60', '--variantes', '3', '--semilla', '12']);
checkGift(['-n', '40', '--semilla', '13', '--dificultad', '3', '--inexactos']);
checkGift(['-n', '30', '--semilla', '14', '--dificultad', '1', '--tipos', 'representar']);

if (failures.length > 0) {
  console.log(`${failures.length} check(s) failed`);
  process.exit(1);
}
console.log('all sheet checks passed');
