// The page opened without a state in its address takes its start-up from inicio.js: it must
// draw the native program's output without calling the module, and the first thing the user
// does (whichever tab) must still give the native program's output, the module being brought to
// where the start-up would have left it. Each case opens the page afresh.

// The conversion tab's example, as the page draws it at start-up.
const kExample = ['representar', 'flotante', '5.375'];
// The float after 5.375 in single precision: 5.375 + 2^-21, exactly.
const kNextOfExample = '5.375000476837158203125';

// Each first action, done on the page; `expected` is the native output to compare, `shown`
// what the page shows in its place; `recorded`, that the start-up's recording answers it all.
const kActions = [
  {
    what: 'opening the conversion tab (its example drawn then)',
    act: async (page) => page.click('#pestana-conversion'),
    expected: (h) => h.runNative(kExample).text,
    shown: (page) => page.$eval('#resultado', (r) => r.textContent),
    recorded: true,
  },
  {
    what: 'opening the "Operar" tab first (its example drawn then)',
    act: async (page) => page.click('#pestana-operar'),
    expected: (h) => h.runNative(['operar', 'c2', '100', '+', '80', '-b', '8']).text,
    shown: (page) => page.$eval('#operar-traza', (r) => r.textContent),
  },
  {
    what: 'a whole dialogue session (-5 in two\'s complement, 8 bits)',
    act: async (page, h) => h.answer(page, ['1', '6', '8', '1', '3', '-5', '0']),
    expected: (h) => h.runNative([], '1\n6\n8\n1\n3\n-5\n0\n').text,
    shown: (page, h) => h.programText(page),
  },
  {
    what: 'a new session, then whether it ended (the module never having run one)',
    act: async (page, h) => {
      await page.click('#nueva');
      await h.answer(page, ['0']);
    },
    expected: (h) => h.runNative([], '0\n').text,
    shown: (page, h) => h.programText(page),
  },
  {
    what: 'a conversion typed in the form',
    act: async (page, h) => {
      await page.click('#pestana-conversion');
      await h.fillForm(page, { sistema: 'c2', bits: '8', dato: '-5' });
    },
    expected: (h) => h.runNative(['representar', 'c2', '-5', '-b', '8']).text,
    shown: (page) => page.$eval('#resultado', (r) => r.textContent),
  },
  {
    what: 'the next value of the example (its card recorded, the conversion real)',
    act: async (page) => {
      await page.click('#pestana-conversion');
      await page.click('#siguiente');
    },
    expected: (h) => h.runNative(['representar', 'flotante', kNextOfExample]).text,
    shown: (page) => page.$eval('#resultado', (r) => r.textContent),
  },
  {
    what: 'a subtraction in the "Operar" tab',
    act: async (page) => {
      await page.click('#pestana-operar');
      await page.select('#operar-op', '-');
    },
    expected: (h) => h.runNative(['operar', 'c2', '100', '-', '80', '-b', '8']).text,
    shown: (page) => page.$eval('#operar-traza', (r) => r.textContent),
  },
];

// The page opened at `url`, its start-up over (the dialogue ready for an answer, every tab
// ready to draw its example when opened).
async function open(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => document.getElementById('entrada').disabled === false &&
    document.getElementById('operar-a').value !== '', { timeout: 20000 });
  // Anything the start-up leaves for later (a pause in typing) has had its time.
  await new Promise((resolve) => setTimeout(resolve, 700));
  return page;
}

export async function testStart(browser, url, h) {
  const { check, runNative } = h;
  for (const action of kActions) {
    const page = await open(browser, url);
    const before = await page.evaluate(() => ({
      calls: repbinLlamadas,
      hidden: document.getElementById('resultado').textContent +
        document.getElementById('operar-traza').textContent,
      menu: document.getElementById('consola').textContent,
    }));
    check(before.calls === 0, `start-up: no call into the module before the user acts (${before.calls})`);
    check(before.menu !== '' && runNative([], '').text.startsWith(before.menu) && before.hidden === '',
      'start-up: the first menu is the native program\'s, the hidden tabs not drawn yet');
    await action.act(page, h);
    const expected = action.expected(h);
    const actual = await action.shown(page, h);
    const calls = await page.evaluate(() => repbinLlamadas);
    check((calls === 0) === Boolean(action.recorded) && actual === expected,
      `first action, ${action.what}: the native output` +
      (actual === expected ? ` (${calls} calls into the module)` : ` (${h.firstDifference(expected, actual)})`));
    await page.close();
  }
}

// What the module runs for the page's work, by function (Module.cwrap wrapped before the first
// real call, so every call is seen), with the words of each call.
async function countCalls(page) {
  await page.evaluate(() => {
    window.llamadasDe = [];
    const cwrap = Module.cwrap;
    Module.cwrap = (nombre, ...tipos) => {
      const real = cwrap(nombre, ...tipos);
      return (...args) => {
        window.llamadasDe.push([nombre, String(args[0] ?? '').split('\n')[0]]);
        return real(...args);
      };
    };
  });
}

// One conversion runs the program once (the trace and the JSON from the same run), and a
// practice verdict in a round of 100 costs the page a few milliseconds whatever the exercise.
export async function testCosts(browser, url, h) {
  const { check } = h;
  const page = await open(browser, url);
  await countCalls(page);
  await page.click('#pestana-conversion');
  await h.fillForm(page, { sistema: 'c2', bits: '8', dato: '-5' });
  await new Promise((resolve) => setTimeout(resolve, 700));
  await page.evaluate(() => {
    window.llamadasDe = [];
    document.getElementById('dato').value = '-6';
    document.getElementById('convertir').click();
  });
  await page.waitForFunction(() => document.getElementById('orden').textContent ===
    'repbin representar c2 -6 -b 8', { timeout: 5000 });
  await new Promise((resolve) => setTimeout(resolve, 700));
  const calls = await page.evaluate(() => window.llamadasDe);
  const runs = calls.filter(([nombre, palabra]) => nombre === 'repbin_convert' ||
    (nombre === 'repbin_command' && ['representar', 'interpretar'].includes(palabra)));
  check(runs.length === 1 && runs[0][0] === 'repbin_convert',
    `a conversion runs the program once (${calls.map((c) => c.join(' ')).join(', ')})`);

  await page.click('#pestana-practica');
  await page.evaluate(() => {
    const opciones = document.getElementById('practica-opciones');
    if (opciones.hidden) document.getElementById('practica-ver-opciones').click();
    opciones.reset();
    document.getElementById('practica-n').value = '100';
    document.getElementById('practica-semilla').value = '11';
  });
  await page.click('#practica-empezar');
  const times = await page.evaluate(() => {
    const $ = (id) => document.getElementById(id);
    const spent = [];
    for (let i = 0; i < 100; ++i) {
      $('practica-entrada').value = '0';
      const start = performance.now();
      $('practica-linea').requestSubmit();
      spent.push(performance.now() - start);
      if ($('practica-veredicto').textContent === '') return { error: `exercise ${i + 1}: no verdict` };
      $('practica-siguiente').click();
    }
    return { spent, summary: !$('practica-resumen').hidden };
  });
  if (times.error) {
    check(false, `practice verdicts: ${times.error}`);
  } else {
    const sorted = [...times.spent].sort((a, b) => a - b);
    const p95 = sorted[94];
    console.log(`     practice verdicts in a round of 100: median ${sorted[50].toFixed(1)} ms, ` +
      `95th percentile ${p95.toFixed(1)} ms, slowest ${sorted[99].toFixed(1)} ms`);
    check(times.summary && p95 < 20,
      'practice: 100 verdicts given, 95 of them within 20 ms of the answer');
  }
  await page.close();
}

// The module carries no file system: what would reach one behaves as in a terminal with nothing
// on standard input and none of the files named. Each command, run through the module's own
// function, against the native program with an empty standard input; a round drawn without a
// seed takes one from the browser's random source.
const kWithoutFiles = [
  ['representar', 'c2', '-'],
  ['interpretar', 'flotante', '-', '--json'],
  ['operar', 'c2', '-', '+', '5'],
  ['informe', 'no-existe-este-registro.jsonl'],
  ['practicar', '--registro', '/no-existe-esta-carpeta/registro.jsonl', '--semilla', '3'],
];

export async function testWithoutFiles(browser, url, h) {
  const { check, runNative } = h;
  const page = await open(browser, url);
  for (const args of kWithoutFiles) {
    const shown = await page.evaluate((line) => {
      const command = Module.cwrap('repbin_command', 'string', ['string']);
      const status = Module.cwrap('repbin_status', 'number', []);
      return { text: command(line), status: status() };
    }, args.join('\n'));
    const expected = runNative(args);
    check(shown.text === expected.text && shown.status === expected.status,
      `without a file system: repbin ${args.join(' ')} as in a terminal without input or files` +
      (shown.text === expected.text ? '' : ` (${h.firstDifference(expected.text, shown.text)})`));
  }
  const round = await page.evaluate(() =>
    JSON.parse(Module.cwrap('repbin_practice_round', 'string', ['string'])('-n\n2')));
  check(/^\d+$/.test(String(round.semilla)) && round.total === 2,
    `without a file system: a round drawn without a seed (${round.semilla})`);
  await page.close();
}
