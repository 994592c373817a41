// 設定判別: the counter's log (and the games since its last bonus) goes to the engine's `infer`,
// which answers the posterior over 設定１..設定６, P(設定≥4) and, for the rule typed, what playing
// on is worth at the hall's rates. The page only lays the engine's figures out.
(function (K) {
    'use strict';
    const w = K.words.judge;
    const f = K.format;
    const el = (...a) => K.el(...a);
    let view = null;
    let timer = null;

    const historyText = (entries) => entries.map((e) => `${e.kind} ${e.games}`).join('\n') + '\n';

    const readInputs = () => K.tabWork.readAll([
        ['trailing', view.trailing, {whole: true, min: 0, max: K.counter.maxGames}],
        ['big_end', view.bigEnd, {min: 0, max: 2000}],
        ['reg_end', view.regEnd, {min: 0, max: 1000}],
    ]);

    function showSummary(entries) {
        const bigs = entries.filter((e) => e.kind === 'BIG').length;
        const totals = K.words.counter.totals(bigs, entries.length - bigs);
        view.summary.textContent =
            K.counter.start() === 'joined' ? w.totalsSince(totals, K.words.counter.joined) : totals;
    }

    // A newer run (a press, a changed log or rates) replaces an older one, also one still
    // reading its fields: only the newest shows its answer.
    function run() {
        clearTimeout(timer);
        view.result.replaceChildren();
        const entries = K.counter.entries();
        showSummary(entries);
        view.runner.start(async (ctx) => {
            if (!entries.length) return ctx.end(w.noLog);
            const inputs = await readInputs();
            if (!ctx.live()) return;
            if (!inputs) return ctx.end('');
            const request = Object.assign({history: historyText(entries), start: K.counter.start()}, inputs,
                                          K.rates.get());
            const report = await ctx.request('infer', request);
            view.result.replaceChildren(...layout(report));
            return report.partial ? w.partial : '';
        });
    }

    const group = (report, scope, setting) =>
        report.results.find((g) => g.scope === scope && g.setting === setting) || null;
    const value = (g, key) => (g && g.figures[key] ? g.figures[key].value : null);
    const cell = (text, key) => el('td', key ? {dataset: {key}} : {}, text);

    function figures(history) {
        const rows = [
            [w.atLeast4, f.share(value(history, 'at_least_4')), 'at_least_4'],
            [w.atLeast5, f.share(value(history, 'at_least_5')), 'at_least_5'],
            [w.next1000, f.number(value(history, 'expected_net_next_1000_games')), 'next_1000'],
            [w.games, f.count(value(history, 'games')), 'games'],
            [w.bigs, f.count(value(history, 'big')), 'big'],
            [w.regs, f.count(value(history, 'reg')), 'reg'],
        ];
        return el('dl', {className: 'figures'},
                  rows.map(([label, text, key]) => [el('dt', {}, label), el('dd', {dataset: {key}}, text)]));
    }

    function posteriorTable(report) {
        const rows = [1, 2, 3, 4, 5, 6].map((s) => {
            const g = group(report, 'history', s);
            const p = value(g, 'posterior');
            const bar = el('span', {className: 'bar'});
            bar.style.width = `${Math.max(0, Math.min(1, p || 0)) * 5}rem`;
            return el('tr', {}, el('th', {}, f.setting(s)),
                      el('td', {dataset: {key: `posterior-${s}`}}, f.share(p), bar),
                      cell(f.share(value(g, 'count_only_posterior')), `count-only-${s}`),
                      cell(f.number(value(g, 'expected_net_next_1000_games')), `next-1000-${s}`));
        });
        return el('div', {className: 'table-wrap'},
                  el('table', {className: 'numbers posterior'},
                     el('thead', {}, el('tr', {}, el('th', {}, ''), el('th', {}, w.posterior),
                                        el('th', {}, w.short.countOnly), el('th', {}, w.short.next1000))),
                     el('tbody', {}, rows)));
    }

    // What playing on is worth: the posterior's mixture as figures, then each setting's row.
    function worth(report) {
        const settings = [1, 2, 3, 4, 5, 6];
        const mixed = group(report, 'attempt', null);
        if (!mixed) return [];
        const figures = [
            [w.netCoins, 'net_coins_per_attempt', f.number],
            [w.netYen, 'yen_per_attempt', f.yen],
            [w.spent, 'cash_in_per_attempt', f.yen],
            [w.hourly, 'yen_per_hour', f.yen],
            [w.gamesPer, 'games_per_attempt', f.number],
            [w.hours, 'hours_per_attempt', f.hours],
        ].filter(([, key]) => value(mixed, key) !== null);
        const columns = [[w.short.coins, 'net_coins_per_attempt', f.number], [w.short.yen, 'yen_per_attempt', f.yen],
                         [w.short.hourly, 'yen_per_hour', f.yen]].filter(([, key]) => value(mixed, key) !== null);
        const rows = settings.map((s) => {
            const g = group(report, 'attempt', s);
            return el('tr', {}, el('th', {}, f.setting(s)),
                      columns.map(([, key, fmt]) => cell(fmt(value(g, key)), `${key}-${s}`)));
        });
        return [el('h3', {}, `${w.worth}  ${w.worthRule(f.number(mixed.big_end), f.number(mixed.reg_end))}`),
                el('p', {className: 'note'}, w.mixed),
                value(mixed, 'yen_per_attempt') === null && report.run.pay === 'cash' ? el('p', {className: 'note'}, w.cashNote) : null,
                el('dl', {className: 'figures'}, figures.map(([label, key, fmt]) => [
                    el('dt', {}, label), el('dd', {dataset: {key: `${key}-mixed`}}, fmt(value(mixed, key)))])),
                el('div', {className: 'table-wrap'},
                   el('table', {className: 'numbers worth'},
                      el('thead', {}, el('tr', {}, el('th', {}, ''), columns.map(([label]) => el('th', {}, label)))),
                      el('tbody', {}, rows)))];
    }

    function layout(report) {
        const history = group(report, 'history', null);
        // A note that does not apply is left out (null), not written as "null".
        return [figures(history), el('h3', {}, w.posterior), posteriorTable(report), ...worth(report)].filter(
            (node) => node !== null);
    }

    function later() {
        clearTimeout(timer);
        if (view && !view.section.hidden) timer = setTimeout(run, 400);
    }

    function mount(section) {
        const kept = K.store.get('judge.rule', {big: '0', reg: '0'});
        const trailing = K.fields.make('judge-trailing', w.trailing, K.counter.nowText());
        const bigEnd = K.fields.make('judge-big-end', w.bigEnd, kept.big, {decimal: true});
        const regEnd = K.fields.make('judge-reg-end', w.regEnd, kept.reg, {decimal: true});
        view = {
            section,
            trailing: trailing.input,
            bigEnd: bigEnd.input,
            regEnd: regEnd.input,
            summary: el('p', {className: 'totals'}),
            run: el('button', {type: 'button', className: 'primary', textContent: w.run}),
            runner: K.tabWork.create(),
            result: el('div', {className: 'result'}),
        };
        section.append(el('h2', {}, w.heading), view.summary,
                       el('div', {className: 'grid'}, trailing.label, bigEnd.label, regEnd.label),
                       el('p', {className: 'note'}, w.ruleNote),
                       el('div', {className: 'actions'}, view.run), view.runner.node, view.result);
        view.run.addEventListener('click', run);
        view.trailing.addEventListener('input', () => K.counter.setNow(view.trailing.value));
        for (const input of [view.bigEnd, view.regEnd]) {
            input.addEventListener('input', () => K.store.set('judge.rule', {big: view.bigEnd.value, reg: view.regEnd.value}));
        }
        section.addEventListener('change', later);
        K.counter.onChange(() => {
            if (document.activeElement !== view.trailing) view.trailing.value = K.counter.nowText();
            later();
        });
        K.rates.onChange(later);
    }

    K.tabs.register('judge', {mount, shown: run});
})(self.Korvale = self.Korvale || {});
