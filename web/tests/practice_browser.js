// Browser test of the "Practicar" tab: a whole round typed in, with right answers in every
// accepted form, wrong and skipped ones; each verdict and diagnosis compared with the native
// `repbin practicar` on the same answers, the solution's trace with the sheet's, the wrong field
// of a floating-point pattern marked, and the score at the end.

// The round's options as the form takes them, and the command words they stand for.
const kForm = { semilla: '5', n: '12', sistemas: ['c2', 'exceso', 'flotante'], bits: '8',
  formato: 'ieee16' };
const kWords = ['--semilla', '5', '-n', '12', '--tipos', 'c2,exceso,flotante', '-b', '8', '-f',
  'ieee16'];

// A wrong answer to an exercise of the sheet: its key with the last bit changed, a value one
// off, or a bit string where nothing fits.
function wrongAnswer(exercise) {
  const key = exercise.respuesta;
  if (key === 'Fuera de Rango') return '0'.repeat(exercise.bits);
  if (/^[01]+$/.test(key)) return key.slice(0, -1) + (key.endsWith('0') ? '1' : '0');
  return String(Number(key) + 1);
}

// The float pattern in hexadecimal, as a student may type it.
function hex(bits) {
  return '0x' + BigInt('0b' + bits).toString(16).padStart(Math.ceil(bits.length / 4), '0');
}

// The first time a kind comes, what is answered to it; the second time, the key in another
// accepted form.
const kFirst = {
  'representar-flotante': 'wrong',
  'interpretar-exceso': 'wrong',
  'interpretar-c2': '?',
};
function secondForm(e) {
  if (e.tipo === 'representar-flotante') return hex(e.respuesta);
  if (e.tipo === 'interpretar-flotante') return e.respuesta.replace('.', ',');
  if (/^[01]{8}$/.test(e.respuesta)) return e.respuesta.slice(0, 4) + ' ' + e.respuesta.slice(4);
  return e.respuesta;
}

export async function testPractice(page, { check, runNative }) {
  const sheet = runNative(['ejercicios', '--salida', 'json', ...kWords]).text.trim().split('\n')
    .map((line) => JSON.parse(line));
  check(sheet.length === 12, `practice: the sheet has ${sheet.length} exercises`);
  const seen = new Set();
  const plan = sheet.map((e) => {
    const first = !seen.has(e.tipo);
    seen.add(e.tipo);
    return first ? kFirst[e.tipo] || 'key' : 'other form';
  });
  check(plan.filter((p) => p === 'wrong').length === 2 && plan.includes('?'),
    'practice: the round has the kinds the plan needs');
  const answers = sheet.map((e, i) => {
    if (plan[i] === 'wrong') return wrongAnswer(e);
    if (plan[i] === '?') return '?';
    return plan[i] === 'key' ? e.respuesta : secondForm(e);
  });
  const native = runNative(['practicar', ...kWords], answers.join('\n') + '\n').text;
  const diagnoses = [...native.matchAll(/^Incorrecto\. (.*)$/gm)].map((m) => m[1]);
  const nativeTotal = native.match(/^Total: .*$/m)[0];

  await page.click('#pestana-practica');
  await showOptions(page);
  await page.evaluate((form) => {
    document.getElementById('practica-opciones').reset();
    document.querySelectorAll('input[name="practica-sistema"]').forEach((c) => {
      c.checked = form.sistemas.includes(c.value);
    });
  }, kForm);
  await page.type('#practica-bits', kForm.bits);
  await page.select('#practica-formato', kForm.formato);
  await page.$eval('#practica-n', (n) => { n.value = ''; });
  await page.type('#practica-n', kForm.n);
  await page.type('#practica-semilla', kForm.semilla);
  await page.click('#practica-empezar');
  const orden = await page.$eval('#practica-orden', (o) => o.textContent);
  check(orden === `repbin practicar ${kWords.join(' ')}`, `practice: command line (${orden})`);

  let wrong = 0;
  for (let i = 0; i < sheet.length; ++i) {
    const statement = await page.$eval('#practica-enunciado', (p) => p.textContent);
    check(statement === sheet[i].enunciado, `practice ${i + 1}: the sheet's statement`);
    await page.focus('#practica-entrada');
    await page.keyboard.type(answers[i]);
    await page.keyboard.press('Enter');
    const verdict = await page.$eval('#practica-veredicto', (v) => ({
      text: v.textContent,
      first: v.firstChild ? v.firstChild.textContent : '',
      diagnosis: (v.querySelector('.practica-diagnostico') || {}).textContent,
      wrongFields: [...v.querySelectorAll('.grupo.campo-mal')].map((g) => g.dataset.campo).join(),
      boxed: v.querySelectorAll('.celda.difiere').length,
    }));
    if (answers[i] === '?') {
      check(verdict.first === 'Sin responder.', `practice ${i + 1}: "?" leaves it unanswered`);
    } else if (plan[i] === 'wrong') {
      const expected = diagnoses[wrong++];
      check(verdict.first === 'Incorrecto' && verdict.diagnosis === expected,
        `practice ${i + 1}: "${answers[i]}" is wrong, as the console says` +
          (verdict.diagnosis === expected ? '' : ` (${verdict.diagnosis} vs ${expected})`));
      if (sheet[i].tipo === 'representar-flotante') {
        check(verdict.wrongFields === 'mantisa' && verdict.boxed === 1,
          `practice ${i + 1}: the mantissa field marked wrong, its last bit boxed`);
      }
    } else {
      check(verdict.first === 'Correcto', `practice ${i + 1}: "${answers[i]}" is right`);
    }
    // The solution behind its button: the answer and the trace of the sheet.
    await page.click('#practica-ver');
    const solution = await page.$eval('#practica-solucion', (s) => (s.hidden ? '' : s.textContent));
    check(solution === `Solución: ${sheet[i].respuesta}\n${sheet[i].traza}`,
      `practice ${i + 1}: "Ver solución" shows the sheet's trace`);
    const focused = await page.evaluate(() => document.activeElement.id);
    if (focused !== 'practica-siguiente') await page.focus('#practica-siguiente');
    await page.keyboard.press('Enter');
  }
  const summary = await page.$eval('#practica-resumen', (r) => (r.hidden ? '' : r.textContent));
  check(summary.includes(nativeTotal), `practice: the score at the end (${nativeTotal})`);
  check(nativeTotal === 'Total: 9 de 12 (1 sin responder)', `practice: native ${nativeTotal}`);
  await page.click('#pestana-dialogo');
}

// A named student's round: the name kept in the browser and in every record of the file the
// summary offers, which holds what `repbin practicar --registro` would (the sheet's keys, the
// states of the answers given), and the tab still clean for axe-core.
export async function testPracticeRecords(page, { check, runNative, audit }) {
  const name = 'Ana Ruiz, 1ºB';
  const words = ['--semilla', '8', '-n', '3', '--tipos', 'c2', '-b', '8'];
  const sheet = runNative(['ejercicios', '--salida', 'json', ...words]).text.trim().split('\n')
    .map((line) => JSON.parse(line));
  const answers = [sheet[0].respuesta, '', wrongAnswer(sheet[2])];  // '': "Ver solución"
  const states = ['correcta', 'sin_responder', 'incorrecta'];

  await page.click('#pestana-practica');
  await showOptions(page);
  await page.evaluate(() => document.getElementById('practica-opciones').reset());
  await page.type('#practica-alumno', name);
  await page.$eval('#practica-n', (n) => { n.value = '3'; });
  await page.type('#practica-semilla', '8');
  await page.type('#practica-bits', '8');
  await page.$eval('input[name="practica-sistema"][value="c2"]', (c) => { c.checked = true; });
  await page.click('#practica-empezar');
  const orden = await page.$eval('#practica-orden', (o) => o.textContent);
  check(orden.includes('--alumno'), `practice records: the name in the command (${orden})`);
  check(await page.evaluate(() => localStorage.getItem('repbin-alumno')) === name,
    'practice records: the name kept in the browser');
  for (const typed of answers) {
    if (typed === '') {
      await page.click('#practica-ver');
    } else {
      await page.focus('#practica-entrada');
      await page.keyboard.type(typed);
      await page.keyboard.press('Enter');
    }
    await page.focus('#practica-siguiente');
    await page.keyboard.press('Enter');
  }
  const file = await page.$eval('#practica-descargar', (a) => ({
    name: a.download, text: decodeURIComponent(a.href.slice(a.href.indexOf(',') + 1)),
  }));
  const records = file.text.trim().split('\n').map((line) => JSON.parse(line));
  check(records.length === 3 && file.name === `registro-${records[0].ronda}.jsonl`,
    `practice records: a file of ${records.length} records (${file.name})` +
      (records.length === 3 ? '' : `: ${file.text}`));
  records.forEach((r, i) => {
    check(r.alumno === name && r.ronda === records[0].ronda && r.ejercicio === i + 1 &&
      r.respuesta === sheet[i].respuesta && r.estado === states[i] &&
      r.respuesta_alumno === answers[i] && r.semilla === 8,
    `practice records: exercise ${i + 1} recorded ${r.estado} for ${r.alumno}`);
  });
  await audit(page, 'practice tab, the summary with its records to download');
  // An address applied to the page resets the options; the name comes back from the browser.
  await page.evaluate(() => { location.hash = '#pestana=practica&semilla=3'; });
  await page.waitForFunction(() => document.getElementById('practica-semilla').value === '3');
  check(await page.$eval('#practica-alumno', (i) => i.value) === name,
    'practice records: the name still in its box after an address is applied');
  await page.evaluate(() => localStorage.removeItem('repbin-alumno'));
  await page.click('#pestana-dialogo');
}

// The round's options, folded away while a round runs.
export async function showOptions(page) {
  if (await page.$eval('#practica-opciones', (form) => form.hidden)) {
    await page.click('#practica-ver-opciones');
  }
}

// An exercise of the tab with a wrong floating-point pattern drawn, for the accessibility audit.
export async function showWrongPattern(page) {
  await page.click('#pestana-practica');
  await showOptions(page);
  await page.evaluate(() => {
    document.getElementById('practica-opciones').reset();
    document.querySelector('input[name="practica-sistema"][value="flotante"]').checked = true;
  });
  await page.select('#practica-operacion', 'representar');
  await page.type('#practica-semilla', '6');
  await page.click('#practica-empezar');
  await page.type('#practica-entrada', '0x40AC0000');
  await page.keyboard.press('Enter');
  await page.click('#practica-ver');
}
