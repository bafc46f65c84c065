// The page's WebAssembly module against the program: every bundled example analysed by both,
// results.json's numbers within 1e-11 relative (the module's C library rounds log10, exp and pow
// in the last bit differently), its texts and the verdict text identical; then a prediction,
// a pooling and new desirability bounds against predict --at, analyze --pool and analyze
// --desirability, and a refusal against the command's message.
//   node module_test.js MODULE_DIR PROGRAM SOURCE_DIR SCRATCH_DIR
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync, spawnSync } = require('child_process');

const [moduleDir, program, sourceDir, scratch] = process.argv.slice(2);
const kTolerance = 1e-11;
let failures = 0;
let largest = 0;  // the largest relative difference seen

function fail(message) {
  console.log('FAIL ' + message);
  ++failures;
}

// Numbers within the tolerance (relative to the larger, or absolute below 1e-300 scale), all
// else equal; the first difference reported by its path.
function compare(native, module, where) {
  if (typeof native === 'number' && typeof module === 'number') {
    const scale = Math.max(Math.abs(native), Math.abs(module));
    if (scale > 0) largest = Math.max(largest, Math.abs(native - module) / scale);
    if (Math.abs(native - module) > kTolerance * scale && Math.abs(native - module) > 1e-12)
      return fail(`${where}: ${native} (program) and ${module} (module)`);
    return;
  }
  if (native === null || module === null || typeof native !== 'object')
    return native === module || fail(`${where}: ${JSON.stringify(native)} (program) and ` +
                                     `${JSON.stringify(module)} (module)`);
  const keys = new Set([...Object.keys(native), ...Object.keys(module)]);
  for (const key of keys) compare(native[key], module[key], `${where}.${key}`);
}

function run(args) {
  const result = spawnSync(program, args, { cwd: sourceDir, encoding: 'utf8' });
  return { status: result.status, out: result.stdout, err: result.stderr };
}

// The program's folder of an analysis: results.json and the verdict text.
function nativeAnalysis(data, options) {
  const out = path.join(scratch, 'native-' + Math.random().toString(36).slice(2));
  const result = run(['analyze', data, ...options, '--charts', 'none', '--no-html', '--out', out]);
  if (result.status !== 0) throw new Error(`${program} analyze ${data}: ${result.err}`);
  const verdict = fs.readdirSync(out).find((name) => name.endsWith('-verdict.txt'));
  return {
    results: JSON.parse(fs.readFileSync(path.join(out, 'results.json'), 'utf8')),
    verdict: fs.readFileSync(path.join(out, verdict), 'utf8'),
  };
}

function filesOf(data) {
  const files = { [data]: fs.readFileSync(path.join(sourceDir, data), 'utf8') };
  const experiment = path.join(path.dirname(data), 'experiment.toml');
  if (data.endsWith('.csv'))
    files[experiment] = fs.readFileSync(path.join(sourceDir, experiment), 'utf8');
  return files;
}

function call(module, name, request) {
  return JSON.parse(module.ccall('qvrfc_' + name, 'string', ['string'], [JSON.stringify(request)]));
}

function checkAnalysis(module, data, options, cliOptions) {
  const native = nativeAnalysis(data, cliOptions);
  const reply = call(module, 'analyze', { files: filesOf(data), data, options });
  if (!reply.ok) return fail(`${data}: the module refused: ${reply.error}`);
  compare(native.results, reply.results, `${data} ${cliOptions.join(' ')} results`);
  if (native.verdict !== reply.verdict) fail(`${data}: the verdict texts differ`);
  return reply;
}

// predict --at prints every response's prediction; the module's texts are the same.
function checkPrediction(module, data, at, cliOptions) {
  const native = run(['predict', data, '--at', at, ...cliOptions]);
  const reply = call(module, 'predict', { at });
  if (!reply.ok) return fail(`predict ${at}: the module refused: ${reply.error}`);
  const texts = reply.predictions.map((p) => p.text).join('\n');
  if (native.out.trim() !== texts.trim()) fail(`predict --at ${at}: the texts differ`);
}

function checkRefusal(module, request, args) {
  const native = run(args);
  const reply = call(module, 'pool', request);
  const message = native.err.trim().replace(/^qvrfcdoe: /, '');
  if (native.status === 0 || reply.ok || reply.error !== message)
    fail(`refusal: ${JSON.stringify(reply)} against '${message}'`);
}

async function main() {
  const factory = require(path.resolve(moduleDir, 'qvrfc.js'));
  const module = await factory({ wasmBinary: fs.readFileSync(path.join(moduleDir, 'qvrfc.wasm')) });
  const examples = [
    ['data/DOETest1.ipt', { sn: ['1=larger'] }, ['--sn', '1=larger']],
    ['data/DOETest2.ipt', {}, []],
    ['data/calibration/runsheet.csv', {}, []],
    ['data/leaf-spring/runsheet.csv', {}, []],
    ['data/moulding/runsheet.csv', {}, []],
  ];
  for (const [data, options, cliOptions] of examples) checkAnalysis(module, data, options, cliOptions);

  const moulding = 'data/moulding/runsheet.csv';
  checkAnalysis(module, moulding, { pool: ['1=auto'] }, ['--pool', '1=auto']);
  checkPrediction(module, moulding, 'A=1', ['--pool', '1=auto']);
  checkPrediction(module, moulding, 'Resin=regrind,Melt temperature=240', ['--pool', '1=auto']);
  const bounds = 'Strength=low:40,high:60';
  const combined = call(module, 'combine', { desirability: [bounds] });
  const native = nativeAnalysis(moulding, ['--pool', '1=auto', '--desirability', bounds]);
  if (!combined.ok) fail(`combine: ${combined.error}`);
  else compare(native.results.combined, combined.results.combined, 'combine');
  checkRefusal(module, { options: { pool: ['9=auto'] } }, ['analyze', moulding, '--pool', '9=auto']);
  console.log(`largest relative difference: ${largest.toExponential(2)}`);
  console.log(failures ? `${failures} failure(s)` : 'module and program agree');
  process.exit(failures ? 1 : 0);
}

main().catch((error) => {
  console.log('FAIL ' + (error.stack || error));
  process.exit(1);
});
