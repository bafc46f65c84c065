// The interactive report page in headless Chromium, driven as a person drives it: real mouse
// and key events through the DevTools protocol (--remote-debugging-pipe), the page's data-*
// values against the program: a level click against predict --at, two pooling ticks against
// analyze --pool, a changed bound and a target against analyze --desirability, a refused bound
// against the command's message. No request but the page itself, no script error, the page at most 1.5 MB.
//   node page_test.js PROGRAM SOURCE_DIR SCRATCH_DIR [CHROMIUM]
'use strict';
const fs = require('fs');
const path = require('path');
const { spawn, spawnSync } = require('child_process');

const [program, sourceDir, scratch, browser = 'chromium'] = process.argv.slice(2);
const kData = 'data/moulding/runsheet.csv';
const kMaxPage = 1.5 * 1024 * 1024;
let failures = 0;

function fail(message) {
  console.log('FAIL ' + message);
  ++failures;
}

function run(args) {
  const result = spawnSync(program, args, { cwd: sourceDir, encoding: 'utf8' });
  return { status: result.status, out: result.stdout, err: result.stderr };
}

function nativeResults(options) {
  const out = fs.mkdtempSync(path.join(scratch, 'native-'));
  const result = run(['analyze', kData, ...options, '--charts', 'none', '--no-html', '--out', out]);
  if (result.status !== 0) throw new Error(`analyze ${options.join(' ')}: ${result.err}`);
  return JSON.parse(fs.readFileSync(path.join(out, 'results.json'), 'utf8'));
}

function near(page, native, tolerance, what) {
  const scale = Math.max(Math.abs(page), Math.abs(native), 1e-300);
  if (!(Math.abs(page - native) <= tolerance * scale || (isNaN(page) && native === null)))
    fail(`${what}: ${page} (page) and ${native} (program)`);
}

// The DevTools protocol over the pipe: fd 3 to the browser, fd 4 from it, messages ended by NUL.
class Browser {
  constructor(page) {
    const profile = fs.mkdtempSync(path.join(scratch, 'profile-'));
    this.process = spawn(browser, ['--headless=new', '--remote-debugging-pipe', '--no-sandbox',
      '--disable-gpu', '--no-first-run', '--disable-extensions', '--disable-background-networking',
      `--user-data-dir=${profile}`, 'about:blank'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
    this.out = this.process.stdio[3];
    this.pending = new Map();
    this.events = [];
    this.id = 0;
    let buffer = '';
    this.process.stdio[4].on('data', (chunk) => {
      buffer += chunk.toString('utf8');
      let end;
      while ((end = buffer.indexOf('\0')) >= 0) {
        const message = JSON.parse(buffer.slice(0, end));
        buffer = buffer.slice(end + 1);
        if (message.id && this.pending.has(message.id)) {
          const { resolve, reject } = this.pending.get(message.id);
          this.pending.delete(message.id);
          if (message.error) reject(new Error(JSON.stringify(message.error)));
          else resolve(message.result);
        } else if (message.method) {
          this.events.push(message);
        }
      }
    });
    this.page = page;
  }
  send(method, params = {}, sessionId = this.session) {
    const id = ++this.id;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    this.out.write(JSON.stringify(message) + '\0');
    return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
  }
  async open() {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' }, null);
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true }, null);
    this.session = sessionId;
    for (const domain of ['Page', 'Runtime', 'Network', 'Log']) await this.send(`${domain}.enable`);
    await this.send('Page.navigate', { url: 'file://' + this.page });
  }
  async evaluate(expression) {
    const reply = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (reply.exceptionDetails) throw new Error(`${expression}: ${JSON.stringify(reply.exceptionDetails)}`);
    return reply.result.value;
  }
  async waitFor(expression, what, seconds = 20) {
    const end = Date.now() + seconds * 1000;
    while (Date.now() < end) {
      if (await this.evaluate(expression)) return;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    const state = await this.evaluate(`document.querySelector('[data-status]').textContent`);
    throw new Error(`timed out waiting for ${what} (the page says: ${state})`);
  }
  // A left click in the middle of the element, as a mouse makes it.
  async click(selector) {
    const box = await this.evaluate(`(() => { const e = document.querySelector(${JSON.stringify(selector)});
      if (!e) return null; e.scrollIntoView({block: 'center'}); const r = e.getBoundingClientRect();
      return {x: r.x + r.width / 2, y: r.y + r.height / 2}; })()`);
    if (!box) throw new Error('no element ' + selector);
    for (const type of ['mouseMoved', 'mousePressed', 'mouseReleased'])
      await this.send('Input.dispatchMouseEvent', { type, x: box.x, y: box.y, button: 'left', clickCount: 1 });
  }
  async type(selector, text) {
    await this.click(selector);
    await this.evaluate(`document.querySelector(${JSON.stringify(selector)}).select()`);
    await this.send('Input.insertText', { text });
    // Done typing: Tab leaves the box, which commits the value (a change event).
    for (const type of ['keyDown', 'keyUp'])
      await this.send('Input.dispatchKeyEvent', { type, key: 'Tab', code: 'Tab', windowsVirtualKeyCode: 9 });
  }
  async values(selector) {
    return this.evaluate(`[...document.querySelectorAll(${JSON.stringify(selector)})].map((e) =>
      Object.assign({}, e.dataset, {text: e.textContent}))`);
  }
  close() {
    this.process.kill();
  }
}

// The number printed first on the line of the statistic, and the tolerance its rounding leaves.
function printedPredictions(text) {
  const blocks = text.split(/^Prediction for response /m).slice(1);
  return blocks.map((block) => {
    const lines = block.split('\n').slice(1).filter((l) => /\d/.test(l));
    return lines.slice(0, 2).map((line) => {
      const number = line.match(/-?\d+\.\d+/)[0];
      return { value: Number(number), half: 0.5 * Math.pow(10, -(number.split('.')[1].length)) };
    });
  });
}

async function checkLevelClick(page, results, data = kData) {
  const level = results.experiment.factors[0].levels[1];
  const factor = results.experiment.factors[0].name;
  const selector = `button[data-factor="${factor}"][data-level="${level}"]`;
  await page.click(selector);
  await page.waitFor(`document.querySelector('${selector}').getAttribute('aria-pressed') === 'true'`, 'the level click');
  const pressed = await page.values('button[aria-pressed="true"]');
  const at = pressed.map((b) => `${b.factor}=${b.level}`).join(',');
  const native = run(['predict', data, '--at', at]);
  if (native.status !== 0) return fail(`predict --at ${at}: ${native.err}`);
  const printed = printedPredictions(native.out);
  for (let q = 0; q < results.responses.length; ++q) {
    const r = results.responses[q];
    for (const [i, statistic] of ['sn', r.optimum.beta ? 'beta' : 'mean'].entries()) {
      const cells = await page.values(`[data-response="${r.name}"][data-statistic="${statistic}"]`);
      if (cells.length !== 1) {
        fail(`${r.name} ${statistic}: ${cells.length} predictions`);
        continue;
      }
      const value = Number(cells[0].value);
      if (Math.abs(value - printed[q][i].value) > printed[q][i].half * 1.0001)
        fail(`${r.name} ${statistic} at ${at}: ${value} (page) and ${printed[q][i].value} (predict)`);
    }
  }
  return at;
}

async function checkPooling(page, results) {
  const r = results.responses[0];
  const terms = r.anova.sn.terms.filter((t) => !t.pooled).sort((a, b) => a.f - b.f).slice(0, 2).map((t) => t.name);
  for (const term of terms) {
    const calls = await page.evaluate('document.body.dataset.calls');
    await page.click(`input[data-response="${r.name}"][data-pool="${term}"]`);
    await page.waitFor(`document.body.dataset.calls !== ${JSON.stringify(calls)}`, 'the pooling');
  }
  const pool = [`${r.name}=${terms.join(',')}`];
  const native = nativeResults(['--pool', pool[0]]).responses[0].anova.sn;
  const cells = await page.values(`[data-response="${r.name}"][data-anova="sn"]`);
  const cell = (term, column) => Number(cells.find((c) => c.term === term && c.column === column).value);
  near(cell('Error', 'ss'), native.error.ss, 1e-9, 'pooled error SS');
  for (const t of native.terms) near(cell(t.name, 'p'), t.p, 1e-9, `p of ${t.name} pooled`);
  return pool;
}

async function checkBound(page, results, pool) {
  const r = results.responses[0];
  const low = (r.optimum.mean.predicted * 0.8).toPrecision(4);
  await page.type(`input[data-response="${r.name}"][data-bound="low"]`, low);
  await page.waitFor(`document.querySelector('[data-status]').textContent.startsWith('combine')`, 'the combined optimum');
  const desirability = results.combined.responses.map((c) =>
    `${c.name}=weight:${c.weight},importance:${c.importance}` + (c.name === r.name ? `,low:${low}` : ''));
  const native = nativeResults(['--pool', pool[0], ...desirability.flatMap((d) => ['--desirability', d])]);
  const shown = await page.values('[data-combined="desirability"]');
  near(Number(shown[0].value), native.combined.desirability, 1e-9, 'overall desirability');
  return { low, desirability, shown: shown[0].value };
}

async function checkRefusal(page, results, pool, bound) {
  const r = results.responses[0];
  const high = results.combined.responses[0].high;
  const low = String(high * 2);
  await page.type(`input[data-response="${r.name}"][data-bound="low"]`, low);
  await page.waitFor(`document.querySelector('[data-status]').dataset.refused === 'true'`, 'the refusal');
  const message = await page.evaluate(`document.querySelector('[data-status]').textContent`);
  const desirability = bound.desirability.map((d) => d.replace(`,low:${bound.low}`, `,low:${low}`));
  const native = run(['analyze', kData, '--pool', pool[0], ...desirability.flatMap((d) => ['--desirability', d]),
                      '--no-reports']);
  const expected = native.err.trim().replace(/^qvrfcdoe: /, '');
  if (native.status === 0 || message !== expected) fail(`refusal: '${message}' against '${expected}'`);
  const kept = await page.values('[data-combined="desirability"]');
  if (kept[0].value !== bound.shown) fail('the refusal did not keep the last result');
}

// The target of a response typed into its box (after the bound that the refusal replaced is typed
// back) against analyze --desirability with the same target: the two-sided desirability.
async function checkTarget(page, results, pool, bound) {
  const r = results.responses[0];
  const box = (key) => `input[data-response="${r.name}"][data-bound="${key}"]`;
  const shown = `Number(document.querySelector('[data-combined="desirability"]').dataset.value)`;
  await page.type(box('low'), bound.low);
  await page.waitFor(`${shown} === ${Number(bound.shown)}`, 'the bound again');
  const target = ((Number(bound.low) + results.combined.responses[0].high) / 2).toPrecision(4);
  await page.type(box('target'), target);
  const desirability = bound.desirability.map((d) => d.startsWith(`${r.name}=`) ? `${d},target:${target}` : d);
  const native = nativeResults(['--pool', pool[0], ...desirability.flatMap((d) => ['--desirability', d])]);
  await page.waitFor(`Math.abs(${shown} - ${native.combined.desirability}) <= 1e-9`,
                     `the desirability with target ${target} (the command's ${native.combined.desirability})`);
}

// The page of an experiment with noise factors and a dynamic response (calibration), and of one
// with noise factors (leaf spring): the first analysis and a level click against predict --at.
async function checkNoiseAndSignal() {
  for (const data of ['data/calibration/runsheet.csv', 'data/leaf-spring/runsheet.csv']) {
    const out = fs.mkdtempSync(path.join(scratch, 'page-'));
    const made = run(['analyze', data, '--charts', 'none', '--out', out]);
    if (made.status !== 0) throw new Error('analyze: ' + made.err);
    const results = JSON.parse(fs.readFileSync(path.join(out, 'results.json'), 'utf8'));
    const page = new Browser(path.join(out, 'report.html'));
    try {
      await page.open();
      await page.waitFor(`document.body && document.body.dataset.ready === 'true'`, `the first analysis of ${data}`, 120);
      await checkLevelClick(page, results, data);
      if (page.events.some((e) => e.method === 'Runtime.exceptionThrown')) fail(`a script error on ${data}`);
    } finally {
      page.close();
    }
  }
}

async function main() {
  const out = fs.mkdtempSync(path.join(scratch, 'page-'));
  const made = run(['analyze', kData, '--charts', 'none', '--out', out]);
  if (made.status !== 0) throw new Error('analyze: ' + made.err);
  const file = path.join(out, 'report.html');
  const size = fs.statSync(file).size;
  console.log(`page: ${size} bytes`);
  if (size > kMaxPage) fail(`the page is ${size} bytes, above ${kMaxPage}`);
  if (!fs.readFileSync(file, 'utf8').includes('id="qvrfc-module"')) throw new Error('the page holds no module');
  const results = JSON.parse(fs.readFileSync(path.join(out, 'results.json'), 'utf8'));
  const page = new Browser(file);
  try {
    await page.open();
    await page.waitFor(`document.body && document.body.dataset.ready === 'true'`, 'the first analysis', 120);
    console.log(`first analysis: ${await page.evaluate('document.body.dataset.firstMs')} ms (the module's analysis ${await page.evaluate('document.body.dataset.analyzeMs')} ms)`);
    await checkLevelClick(page, results);
    console.log(`prediction: ${await page.evaluate('document.body.dataset.predictMs')} ms`);
    const pool = await checkPooling(page, results);
    console.log(`pooling: ${await page.evaluate('document.body.dataset.poolMs')} ms`);
    const bound = await checkBound(page, results, pool);
    console.log(`combined: ${await page.evaluate('document.body.dataset.combineMs')} ms`);
    await checkRefusal(page, results, pool, bound);
    await checkTarget(page, results, pool, bound);
    const url = 'file://' + file;
    for (const event of page.events) {
      if (event.method === 'Network.requestWillBeSent' && event.params.request.url !== url)
        fail('a request: ' + event.params.request.url);
      if (event.method === 'Runtime.exceptionThrown')
        fail('a script error: ' + JSON.stringify(event.params.exceptionDetails));
      if (event.method === 'Log.entryAdded' && event.params.entry.level === 'error')
        fail('an error: ' + event.params.entry.text);
      if (event.method === 'Runtime.consoleAPICalled' && event.params.type === 'error')
        fail('a console error: ' + JSON.stringify(event.params.args));
    }
  } finally {
    page.close();
  }
  await checkNoiseAndSignal();
  console.log(failures ? `${failures} failure(s)` : 'the page agrees with the program');
  process.exit(failures ? 1 : 0);
}

main().catch((error) => {
  console.log('FAIL ' + (error.stack || error));
  process.exit(1);
});
