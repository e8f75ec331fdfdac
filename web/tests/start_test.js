// The page's start-up without the module (app.js, repbinFuncion), without a browser: app.js runs
// on a small module of its own kind, with state between calls as the real one has (a command's
// status, whether the session ended), and a list of start-up calls recorded from that module.
// Whatever the page calls, each result must be the one a page calling the module for every
// call gets, and the module must have run exactly those calls in that order once the list has
// stopped answering: the reference is the same calls made straight into a fresh module.
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const appJs = fs.readFileSync(path.join(here, '../app.js'), 'utf8');

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
  if (!ok || process.env.VERBOSE) console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// A module whose answers depend on the calls before: a command's status is the length of its
// line modulo 3, a session ends when an answer is "0"; every call is logged.
function fakeModule() {
  const state = { status: 0, finished: 0, log: [] };
  const functions = {
    repbin_session: (input) => {
      state.finished = input.split('\n').includes('0') ? 1 : 0;
      return `sesion(${input})`;
    },
    repbin_finished: () => state.finished,
    repbin_command: (line) => {
      state.status = line.length % 3;
      return `orden(${line})`;
    },
    repbin_status: () => state.status,
    repbin_convert: (line) => `conversion(${line})`,
  };
  state.call = (name, args) => {
    state.log.push([name, args]);
    return functions[name](...args);
  };
  state.cwrap = (name) => (...args) => state.call(name, args);
  return state;
}

const kTypes = {
  repbin_session: ['string', ['string']],
  repbin_finished: ['number', []],
  repbin_command: ['string', ['string']],
  repbin_status: ['number', []],
  repbin_convert: ['string', ['string']],
};

// app.js in a page of its own, opened at `hash`, with `recorded` as inicio.js (null: no file).
function openPage(hash, recorded) {
  const module = fakeModule();
  const context = { location: { hash, protocol: 'file:' }, navigator: {} };
  context.window = context;
  if (recorded) context.repbinInicio = recorded;
  vm.createContext(context);
  vm.runInContext(appJs, context, { filename: 'app.js' });
  context.Module.cwrap = module.cwrap;
  const functions = {};
  for (const name of Object.keys(kTypes)) {
    functions[name] = context.repbinFuncion(name, ...kTypes[name]);
  }
  return { module, call: (name, args) => functions[name](...args), real: () => context.repbinLlamadas };
}

// What the build does: the start-up calls run in a fresh module, with their results.
function record(calls) {
  const module = fakeModule();
  return calls.map(([name, args]) => [name, args, module.call(name, args)]);
}

const kStart = [
  ['repbin_session', ['']],
  ['repbin_finished', []],
  ['repbin_command', ['formato\nflotante']],
  ['repbin_status', []],
  ['repbin_convert', ['representar\nflotante\n5.375']],
];

// Each case: the calls the page makes after opening; `fromList`, how many of them the list
// answers (the module is not called until then).
const kCases = [
  { what: 'the start-up alone', calls: kStart, fromList: 5 },
  {
    what: 'the start-up, then the status read again (the list used up: the command must have run)',
    calls: [...kStart.slice(0, 4), ['repbin_status', []]], fromList: 4,
  },
  {
    what: 'a command with other arguments, then its status',
    calls: [...kStart.slice(0, 2), ['repbin_command', ['formato\nc2']], ['repbin_status', []]],
    fromList: 2,
  },
  {
    what: 'an answer in the dialogue first, then the start-up\'s command',
    calls: [['repbin_session', ['0\n']], ['repbin_finished', []], ...kStart.slice(2)],
    fromList: 0,
  },
  {
    what: 'the start-up, a new session that ends, and whether it ended',
    calls: [...kStart, ['repbin_session', ['1\n0\n']], ['repbin_finished', []]], fromList: 5,
  },
  {
    what: 'a call off the list, then the list\'s next call (no longer answered)',
    calls: [kStart[0], ['repbin_convert', ['x']], ...kStart.slice(1)], fromList: 1,
  },
  {
    what: 'the start-up\'s calls in another order',
    calls: [kStart[0], kStart[2], kStart[1], kStart[3]], fromList: 1,
  },
];

const recorded = record(kStart);
for (const [hash, list, listUsed] of [['', recorded, true], ['#pestana=conversion', recorded, false],
  ['', null, false]]) {
  for (const c of kCases) {
    const what = `${c.what}${hash ? `, opened at ${hash}` : ''}${list ? '' : ', without inicio.js'}`;
    const reference = fakeModule();
    const expected = c.calls.map(([name, args]) => reference.call(name, args));
    const page = openPage(hash, list);
    const results = [];
    let realBefore = null;  // calls that reached the module before the list stopped answering
    const answered = listUsed ? c.fromList : 0;
    c.calls.forEach(([name, args], i) => {
      if (i === answered) realBefore = page.real();
      results.push(page.call(name, args));
    });
    if (realBefore === null) realBefore = page.real();
    check(same(results, expected), `${what}: every result as with the module called each time`);
    check(realBefore === 0, `${what}: the module not called while the list answers ` +
      `(${realBefore} calls)`);
    const ran = answered === c.calls.length ? [] : c.calls;
    check(same(page.module.log, ran), `${what}: the module ran ` +
      (ran.length ? 'every call, in order' : 'nothing'));
  }
}

if (failures.length) {
  console.log(`${failures.length} failed`);
  process.exit(1);
}
console.log('all start-up tests passed');
