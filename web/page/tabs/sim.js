// シミュレータ: the desktop window's two runs, 通常 (one machine per worker played on) and 特別
// (attempts from a new machine each), played on every worker: worker i plays thread i's share of
// the run korvale-batch would play with as many threads and the same seed, and the engine merges
// the shares into that run's report. Shown with the window's captions.
(function (K) {
    'use strict';
    const el = (...a) => K.el(...a);
    const f = K.format;
    const w = K.words.sim;
    const t = w.totals;
    const work = K.tabWork;
    const largestSeed = Number.MAX_SAFE_INTEGER;
    let view = null;

    const newSeed = () => String(Math.floor(Math.random() * 4294967296));

    function kindChoice() {
        const option = (value, text) => el('label', {className: 'choice'},
                                           el('input', {type: 'radio', name: 'sim-kind', value}), text);
        const normal = option('normal', w.normal);
        const special = option('special', w.special);
        normal.querySelector('input').checked = true;
        return el('fieldset', {className: 'kind'}, el('legend', null, w.kind), normal, special);
    }

    function build(section) {
        const setting = work.settingSelect('sim-setting');
        const games = K.fields.make('sim-games', w.games, '100000000');
        const attempts = K.fields.make('sim-attempts', w.attempts, '1000000');
        const bigEnd = K.fields.make('sim-big-end', w.bigEnd, '300');
        const regEnd = K.fields.make('sim-reg-end', w.regEnd, '100');
        const seed = K.fields.make('sim-seed', w.seed, newSeed());
        const reseed = el('button', {type: 'button', className: 'secondary'}, w.newSeed);
        const kind = kindChoice();
        const special = el('div', {className: 'special-only'}, attempts.label,
                           el('div', {className: 'pair'}, bigEnd.label, regEnd.label));
        const normal = el('div', {className: 'normal-only'}, games.label);
        const form = el('form', {className: 'inputs', noValidate: true}, kind,
                        el('label', {className: 'field'}, el('span', {className: 'caption'}, w.setting), setting),
                        normal, special, el('div', {className: 'seed-row'}, seed.label, reseed),
                        el('button', {type: 'submit', className: 'primary'}, w.start));
        const runner = work.create();
        const played = el('p', {className: 'note'});
        const answer = el('div', {className: 'answer sim-totals'});
        section.append(el('h2', null, w.heading), form, runner.node, played, answer);
        const v = {kind, setting, games: games.input, attempts: attempts.input, bigEnd: bigEnd.input,
                   regEnd: regEnd.input, seed: seed.input, normal, special, runner, played, answer};
        work.keepTexts('sim.inputs', {setting, games: games.input, attempts: attempts.input,
                                      bigEnd: bigEnd.input, regEnd: regEnd.input});
        const kept = K.store.get('sim.inputs', {}) || {};
        if (kept.kind === 'special') kind.querySelector('[value="special"]').checked = true;
        kind.addEventListener('change', () => {
            const now = K.store.get('sim.inputs', {}) || {};
            now.kind = chosenKind(v);
            K.store.set('sim.inputs', now);
            showKind(v);
        });
        reseed.addEventListener('click', () => {
            seed.input.value = newSeed();
            K.fields.clear(seed.input);
        });
        form.addEventListener('submit', (event) => {
            event.preventDefault();
            run();
        });
        return v;
    }

    const chosenKind = (v) => (v.kind.querySelector('input:checked') || {}).value || 'normal';
    function showKind(v) {
        const special = chosenKind(v) === 'special';
        v.special.hidden = !special;
        v.normal.hidden = special;
    }

    async function readInputs() {
        const kind = chosenKind(view);
        const specs = [['seed', view.seed, {whole: true, min: 0, max: largestSeed, label: w.seed}]];
        if (kind === 'normal') {
            specs.unshift(['games', view.games, {whole: true, min: 1, max: 1e15, label: w.games}]);
        } else {
            specs.unshift(['attempts', view.attempts, {whole: true, min: 1, max: 1e12, label: w.attempts}],
                          ['bigEnd', view.bigEnd, {whole: true, min: 0, max: 2147483647, label: w.bigEnd}],
                          ['regEnd', view.regEnd, {min: 0, max: 2147483647, label: w.regEnd}]);
        }
        const input = await work.readAll(specs);
        if (input) Object.assign(input, {kind, setting: Number(view.setting.value) || 1});
        return input;
    }

    function planOf(input, threads) {
        const plan = {kind: input.kind, setting: input.setting, seed: input.seed, threads};
        // The hall's rates price an attempt; the normal run is one machine played on, in coins.
        if (input.kind === 'normal') plan.games = input.games;
        else Object.assign(plan, {attempts: input.attempts, big_end: input.bigEnd, reg_end: input.regEnd}, work.rateFields());
        return plan;
    }

    // One caption and its figure, as a box of the window.
    const box = (caption, text) => el('div', {className: 'total'}, el('span', {className: 'caption'}, caption),
                                      el('output', null, text));

    function totalsOf(report) {
        const r = report.results[0];
        const v = (key) => (r.figures[key] ? r.figures[key].value : null);
        const frame1 = el('div', {className: 'frame'},
                          box(t.games, f.number(v('games'))), box(t.net, f.number(v('net_coins'))),
                          box(t.payout, f.percent(v('payout_percent'))), el('div', {className: 'spacer'}),
                          box(t.big, f.number(v('big'))), box(t.oneIn, f.number(v('big_odds'))),
                          box(t.reg, f.number(v('reg'))), box(t.oneIn, f.number(v('reg_odds'))));
        if (report.run.kind === 'special') {
            return [frame1, el('div', {className: 'frame wide'},
                               box(t.attempts, f.number(v('attempts'))), box(t.gamesPer, f.number(v('games_per_attempt'))),
                               box(t.netPer, f.number(v('net_coins_per_attempt'))),
                               box(t.bigPer, f.number(v('big_per_attempt'))))];
        }
        const modes = [0, 1, 2, 3, 4, 5].map((m) => el('fieldset', {className: 'frame mode'},
                                                         el('legend', null, t.mode(m)),
                                                         box(t.modeGames, f.number(v(`mode${m}_games`))),
                                                         box(t.modeBig, f.number(v(`mode${m}_big`))),
                                                         box(t.modeRelease, f.number(v(`mode${m}_rt_release_rate`)))));
        return [frame1, el('div', {className: 'modes'}, modes)];
    }

    async function run() {
        const input = await readInputs();
        if (!input) return;
        view.runner.start(async (ctx) => {
            const threads = K.engine.workerCount;
            const plan = planOf(input, threads);
            const games = new Array(threads).fill(0);
            const showPlayed = () => {
                view.played.textContent = `${w.workers(threads)}・${w.played(f.grouped(games.reduce((a, b) => a + b, 0)))}`;
            };
            view.answer.replaceChildren();
            showPlayed();
            ctx.plan(threads);
            const parts = await Promise.all(games.map((_, i) =>
                ctx.request('simulate', Object.assign({thread: i}, plan), (p) => {
                    if (Number.isFinite(p.games)) games[i] = p.games;
                    showPlayed();
                })));
            const report = await ctx.request('simulate_merge', {plan, parts});
            const timing = report.timing || {};
            view.played.textContent = `${w.workers(threads)}・${w.played(f.grouped(report.results[0].figures.games.value))}` +
                (timing.seconds ? `（${w.speed(f.number(timing.seconds), f.grouped(timing.games_per_second))}）` : '');
            view.answer.replaceChildren(...totalsOf(report));
        });
    }

    K.tabs.register('sim', {
        mount(section) {
            view = build(section);
            showKind(view);
        },
        shown() {},
    });
})(self.Korvale = self.Korvale || {});
