// The interactive part of report.html: inflates the embedded module, analyses the page's
// experiment in it and renders the decision, the profiler, the pooling boxes and the
// desirability bounds from its replies. Every number comes from the module (the program's own
// analysis); this script only lays them out. The data-* attributes are a stable contract
// (README, "The interactive page").
'use strict';
(function () {
  const input = JSON.parse(document.getElementById('qvrfc-input').textContent);
  const factors = input.factors;
  let module = null;
  let results = null;        // the module's results.json of the analysis shown
  let options = input.options;
  const at = {};             // factor name -> level text or value set in the profiler

  function el(tag, attributes, ...children) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes || {})) {
      if (value !== undefined && value !== null) node.setAttribute(name, String(value));
    }
    for (const child of children) {
      if (child !== null && child !== undefined)
        node.append(typeof child === 'string' ? document.createTextNode(child) : child);
    }
    return node;
  }
  const fixed = (v, digits = 4) => (v === null || v === undefined || !isFinite(v) ? '*' : v.toFixed(digits));
  const valueOf = (v) => (v === null || v === undefined ? '' : String(v));

  function status(text, refused) {
    const line = document.querySelector('[data-status]');
    line.textContent = text;
    line.setAttribute('data-refused', refused ? 'true' : 'false');
  }

  async function loadModule() {
    const text = document.getElementById('qvrfc-module').textContent.trim();
    const bytes = Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    const wasmBinary = await new Response(stream).arrayBuffer();
    return QvrfcModule({ wasmBinary });
  }

  // One call of the module; a refusal shows the program's message and keeps what is shown.
  function call(name, request) {
    const start = performance.now();
    const reply = JSON.parse(module.ccall('qvrfc_' + name, 'string', ['string'], [JSON.stringify(request)]));
    const ms = (performance.now() - start).toFixed(1);
    if (!reply.ok) status(reply.error, true);
    else status(`${name}: done in ${ms} ms`, false);
    document.body.setAttribute('data-last-ms', ms);
    document.body.setAttribute(`data-${name}-ms`, ms);
    document.body.setAttribute('data-calls', String(Number(document.body.getAttribute('data-calls') || 0) + 1));
    return reply.ok ? reply : null;
  }

  function levelsText(levels) {
    return Object.entries(levels).map(([f, l]) => `${f}=${l}`).join(', ');
  }

  function interval(p) {
    return p.ci ? ` (${fixed(p.ci[0])} to ${fixed(p.ci[1])})` : ' (no interval)';
  }

  // The decision: every response's optimum, the combined one, and the confirmation to make.
  function renderDecision() {
    const root = document.getElementById('qvrfc-decision');
    root.replaceChildren();
    for (const r of results.responses) {
      const o = r.optimum;
      root.append(el('h3', {}, `${r.name}: recommended ${levelsText(o.levels)}`));
      const list = el('ul', {});
      list.append(el('li', {}, `S/N ratio ${fixed(o.sn.predicted)} dB${interval(o.sn)}`));
      const mean = o.mean || o.beta;
      if (mean) list.append(el('li', {}, `Mean ${fixed(mean.predicted)}${interval(mean)}`));
      if (mean && mean.ci)
        list.append(el('li', {}, `Confirm: run ${levelsText(o.levels)}; the mean of the confirmation ` +
                                 `runs should fall within ${fixed(mean.ci[0])} to ${fixed(mean.ci[1])}.`));
      root.append(list);
    }
    const c = results.combined;
    if (c) {
      root.append(el('h3', {}, `Combined: ${levelsText(c.levels)}`));
      const p = el('p', {}, 'Overall desirability ');
      p.append(el('strong', { 'data-combined': 'desirability', 'data-value': c.desirability }, fixed(c.desirability)));
      root.append(p);
      const list = el('ul', {});
      for (const r of c.responses)
        list.append(el('li', {}, `${r.name}: ${fixed(r.predicted)}${r.ci ? interval(r) : ''}`));
      root.append(list);
    }
  }

  function atText() {
    return factors.filter((f) => at[f.name] !== undefined).map((f) => `${f.name}=${at[f.name]}`).join(',');
  }

  function renderPredictions(reply) {
    const table = el('table', {});
    table.append(el('tr', {}, el('th', {}, 'Response'), el('th', {}, 'Statistic'),
                    el('th', {}, 'Predicted'), el('th', {}, 'Interval')));
    for (const p of reply.predictions) {
      for (const [key, statistic, title] of [['sn', 'sn', 'S/N ratio (dB)'],
                                             ['mean', p.dynamic ? 'beta' : 'mean', p.dynamic ? 'Slope' : 'Mean']]) {
        const v = p[key];
        table.append(el('tr', {}, el('td', {}, p.response), el('td', {}, title),
          el('td', { class: 'num', 'data-response': p.response, 'data-statistic': statistic,
                     'data-value': v.predicted, 'data-low': v.ci ? v.ci[0] : null,
                     'data-high': v.ci ? v.ci[1] : null }, fixed(v.predicted)),
          el('td', { class: 'num' }, v.ci ? `${fixed(v.ci[0])} to ${fixed(v.ci[1])}` : '*')));
      }
    }
    document.getElementById('qvrfc-predictions').replaceChildren(
      el('p', {}, `Predictions at ${atText().replace(/,/g, ', ')}:`), table);
  }

  function predict() {
    const reply = call('predict', { at: atText() });
    if (reply) renderPredictions(reply);
    for (const button of document.querySelectorAll('button[data-factor]'))
      button.setAttribute('aria-pressed', String(at[button.dataset.factor] === button.dataset.level));
  }

  function renderProfiler() {
    const root = document.getElementById('qvrfc-profiler');
    root.replaceChildren();
    const start = results.combined ? results.combined.levels : results.responses[0].optimum.levels;
    const table = el('table', { class: 'levels' });
    for (const f of factors) {
      const index = f.levels.findIndex((l) => String(Number(l)) === String(start[f.name]) || l === String(start[f.name]));
      if (index >= 0) at[f.name] = f.levels[index];
      const cell = el('td', {});
      for (const level of f.levels) {
        const button = el('button', { type: 'button', 'data-factor': f.name, 'data-level': level,
                                      'aria-pressed': 'false' }, level);
        button.addEventListener('click', () => { at[f.name] = level; predict(); });
        cell.append(button);
      }
      if (f.numeric) {
        const values = f.levels.map(Number);
        const between = el('input', { type: 'number', step: 'any', min: Math.min(...values),
                                      max: Math.max(...values), 'data-factor': f.name,
                                      'data-between': '', 'aria-label': `${f.name} between levels` });
        between.addEventListener('change', () => { if (between.value !== '') { at[f.name] = between.value; predict(); } });
        cell.append(between);
      }
      table.append(el('tr', {}, el('th', {}, f.name), cell));
    }
    root.append(table, el('div', { id: 'qvrfc-predictions' }));
    predict();
  }

  function poolOptions(response, terms, rule) {
    const others = options.pool.filter((p) => !p.startsWith(response + '='));
    if (terms.length) others.push(`${response}=${terms.join(',')}`);
    if (rule) others.push(`${response}=${rule}`);
    return others;
  }

  function reanalyse(pool) {
    const reply = call('pool', { options: Object.assign({}, options, { pool }) });
    if (!reply) return renderPooling();  // the boxes as the analysis shown has them
    options = Object.assign({}, options, { pool });
    results = reply.results;
    renderAll();
  }

  const kColumns = ['ss', 'dof', 'ms', 'f', 'p', 'contribution'];

  function anovaTable(r, anova, kind) {
    const what = kind === 'sn' ? 'S/N ratio' : r.anova.beta ? 'slope (beta)' : 'mean';
    const table = el('table', {}, el('caption', {}, `${r.name}: ANOVA of the ${what}`));
    table.append(el('tr', {}, ...(kind === 'sn' ? [el('th', {}, 'Pool')] : []), el('th', {}, 'Term'),
                    ...kColumns.map((c) => el('th', {}, c === 'contribution' ? '%' : c.toUpperCase()))));
    const row = (term, values, box) => {
      const tr = el('tr', { class: values.pooled ? 'pooled' : null });
      if (kind === 'sn') tr.append(el('td', {}, box));
      tr.append(el('td', {}, term));
      for (const c of kColumns) {
        const v = values[c];
        tr.append(el('td', { class: 'num', 'data-response': r.name, 'data-anova': kind, 'data-term': term,
                             'data-column': c, 'data-value': v === null || v === undefined ? 'NaN' : v },
                     c === 'dof' ? valueOf(v) : fixed(v)));
      }
      table.append(tr);
    };
    for (const t of anova.terms) {
      let box = null;
      if (kind === 'sn') {
        box = el('input', { type: 'checkbox', 'data-response': r.name, 'data-pool': t.name, 'aria-label': `pool ${t.name}` });
        box.checked = t.pooled;
        box.addEventListener('change', () => {
          const ticked = [...document.querySelectorAll(`input[data-pool][data-response="${CSS.escape(r.name)}"]`)]
            .filter((b) => b.checked).map((b) => b.dataset.pool);
          reanalyse(poolOptions(r.name, ticked, null));
        });
      }
      row(t.name, t, box);
    }
    row('Error', anova.error, null);
    return table;
  }

  function renderPooling() {
    const root = document.getElementById('qvrfc-pooling');
    root.replaceChildren();
    for (const r of results.responses) {
      const buttons = el('p', {});
      for (const [rule, title] of [['auto', 'auto'], ['lenth', 'Lenth']]) {
        const button = el('button', { type: 'button', 'data-response': r.name, 'data-rule': rule }, title);
        button.addEventListener('click', () => reanalyse(poolOptions(r.name, [], rule)));
        buttons.append(button, ' ');
      }
      root.append(el('h3', {}, r.name), buttons, anovaTable(r, r.anova.sn, 'sn'));
      const second = r.anova.mean || r.anova.beta;  // a dynamic response's is its slope's
      if (second) root.append(anovaTable(r, second, 'mean'));
    }
  }

  const kBounds = ['low', 'high', 'target', 'weight', 'importance'];

  function desirabilityTexts() {
    const texts = [];
    for (const r of results.combined.responses) {
      const parts = [];
      for (const key of kBounds) {
        const box = document.querySelector(`input[data-response="${CSS.escape(r.name)}"][data-bound="${key}"]`);
        if (!box || box.value === '' || box.disabled) continue;
        if (key === 'weight' || key === 'importance' || box.dataset.given === 'true')
          parts.push(`${key}:${box.value}`);
      }
      if (parts.length) texts.push(`${r.name}=${parts.join(',')}`);
    }
    return texts;
  }

  function combine() {
    const desirability = desirabilityTexts();
    const reply = call('combine', { desirability });
    if (!reply) return;
    options = Object.assign({}, options, { desirability });
    results = reply.results;
    renderDecision();
  }

  function renderBounds() {
    const root = document.getElementById('qvrfc-bounds');
    if (!root || !results.combined) return;
    root.replaceChildren();
    const table = el('table', {}, el('tr', {}, el('th', {}, 'Response'), ...kBounds.map((k) => el('th', {}, k))));
    for (const r of results.combined.responses) {
      const tr = el('tr', {}, el('td', {}, r.name));
      for (const key of kBounds) {
        const given = key === 'low' ? r.low_given : key === 'high' ? r.high_given : key !== 'target';
        const box = el('input', { type: 'number', step: 'any', 'data-response': r.name, 'data-bound': key,
                                  value: valueOf(r[key]), 'data-given': String(!!given) });
        if (r.dynamic || (r[key] === null && key !== 'target')) box.disabled = true;
        box.addEventListener('change', () => { box.dataset.given = 'true'; combine(); });
        tr.append(el('td', {}, box));
      }
      table.append(tr);
    }
    root.append(table);
  }

  function renderAll() {
    renderDecision();
    renderPooling();
    renderBounds();
    predict();
  }

  async function main() {
    try {
      const start = performance.now();
      module = await loadModule();
      const reply = call('analyze', { experiment: input.experiment, observations: input.observations, options });
      if (!reply) return;
      results = reply.results;
      renderDecision();
      renderProfiler();
      renderPooling();
      renderBounds();
      const ms = (performance.now() - start).toFixed(1);
      document.body.setAttribute('data-first-ms', ms);
      status(`Analysed in the page in ${ms} ms.`, false);
      document.body.setAttribute('data-ready', 'true');
    } catch (error) {
      status(`The page's module could not run: ${error}`, true);
    }
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', main);
  else main();
})();
