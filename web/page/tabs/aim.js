// 狙い目: a machine found G games after its last BIG. The engine's 狙い目 table at that one G
// gives each setting's and the mixture's worth; a second request over a grid of G gives the
// break-even G. Both ask for the means only (a fraction of a second), so that the table and the
// advice come first; the full table at G, asked at once on another worker, fills 勝率 (the
// chance to end ahead, most of the work) when it comes. The advice line only picks its words from the sign of the mixture's worth and
// from where the break-even G lies: every figure in it is the engine's.
(function (K) {
    'use strict';
    const el = (...a) => K.el(...a);
    const f = K.format;
    const w = K.words.aim;
    const work = K.tabWork;
    const breakEvenGrid = [0, 1500, 50];
    let view = null;

    const at0 = (result, key) => {
        const s = result.series && result.series[key];
        return s && s.value.length ? s.value[0] : null;
    };
    const figure = (result, key) => {
        const fig = result.figures && result.figures[key];
        return fig ? fig.value : null;
    };
    const rowName = (result) => (result.setting ? f.setting(result.setting) : w.mixed);

    function build(section) {
        const g = K.fields.make('aim-games', w.games, '');
        const big = K.fields.make('aim-big-end', w.bigEnd, '0');
        const reg = K.fields.make('aim-reg-end', w.regEnd, '0');
        const submit = el('button', {type: 'submit', className: 'primary'}, K.words.work.run);
        const form = el('form', {className: 'inputs', noValidate: true},
                        g.label,
                        el('fieldset', {className: 'rule'}, el('legend', null, w.rule), big.label, reg.label,
                           el('p', {className: 'hint'}, w.ruleHint)),
                        submit);
        const runner = work.create();
        const advice = el('p', {className: 'verdict advice', hidden: true});
        const note = el('p', {className: 'note'});
        const answer = el('div', {className: 'answer'});
        section.append(el('h2', null, w.heading), form, runner.node, advice, answer, note);
        work.keepTexts('aim.inputs', {games: g.input, bigEnd: big.input, regEnd: reg.input});
        form.addEventListener('submit', (event) => {
            event.preventDefault();
            run();
        });
        return {games: g.input, bigEnd: big.input, regEnd: reg.input, runner, advice, note, answer, shown: null};
    }

    async function readInputs() {
        return work.readAll([
            ['games', view.games, {whole: true, min: 0, max: 1000000, label: w.games}],
            ['bigEnd', view.bigEnd, {whole: true, min: 0, max: 2000, label: w.bigEnd}],
            ['regEnd', view.regEnd, {whole: true, min: 0, max: 1000, label: w.regEnd}],
        ]);
    }

    // From cash the engine gives yen only for a rule that ends at the first BIG; else the hour
    // is in coins and there is no yen.
    // `ahead`, the full table at G, gives 勝率; until it comes its cells wait ('…').
    function tableOf(report, breakEven, ahead, cash) {
        const yen = report.results.length > 0 && Boolean(report.results[0].series.yen_per_attempt_unrounded_cost);
        const head = [w.setting, w.netCoins].concat(yen ? [w.netYen, w.hourly] : [w.hourlyCoins],
                                                    [w.pAhead, w.gamesPer, w.posterior]);
        if (cash && yen) head.push(w.breakEvenCoins, w.breakEvenYen);
        else head.push(w.breakEven);
        const rows = report.results.map((r, i) => {
            const be = breakEven && breakEven.results[i];
            const pAhead = ahead ? f.share(at0(ahead.results[i], 'p_ahead')) : '…';
            const money = yen ? [f.yen(at0(r, 'yen_per_attempt_unrounded_cost')), f.yen(at0(r, 'yen_per_hour_unrounded_cost'))]
                              : [f.number(at0(r, 'net_per_hour_unrounded_cost'))];
            const cells = [rowName(r), f.number(at0(r, 'net_coins_per_attempt_unrounded_cost')), ...money,
                           pAhead, f.number(at0(r, 'games_per_attempt')),
                           r.setting ? f.share(at0(r, 'posterior')) : ''];
            const beText = (key) => (be ? f.number(figure(be, key)) : '…');
            cells.push(beText('break_even'));
            if (cash && yen) cells.push(beText('break_even_yen'));
            return {cells, className: r.setting ? '' : 'mixed'};
        });
        return work.table(head, rows, 'aim-table');
    }

    // The advice, from the mixture's worth at G (yen when playing from cash) and its break-even G.
    function adviceOf(g, input, report, breakEven, cash) {
        const mixed = report.results.find((r) => !r.setting);
        const mixedBreakEven = breakEven.results.find((r) => !r.setting);
        // From cash the yen are the measure, where the engine gives them.
        const yen = cash && Number.isFinite(at0(mixed, 'yen_per_attempt_unrounded_cost'));
        const worth = at0(mixed, yen ? 'yen_per_attempt_unrounded_cost' : 'net_coins_per_attempt_unrounded_cost');
        const from = figure(mixedBreakEven, yen ? 'break_even_yen' : 'break_even');
        if (worth > 0) {
            const worthText = yen ? f.yen(worth) : f.coins(worth);
            return {sit: true, text: w.sit(g, '+' + worthText, w.ruleText(input.bigEnd, input.regEnd),
                                           f.games(at0(mixed, 'games_per_attempt')))};
        }
        if (from === null || from === undefined) return {sit: false, text: w.never(breakEvenGrid[1])};
        return {sit: false, text: from > g ? w.waitUntil(g, from) : w.notHere(g)};
    }

    async function run() {
        const input = await readInputs();
        if (!input) return;
        view.runner.start(async (ctx) => {
            const rates = work.rateFields();
            const cash = rates.pay === 'cash';
            const rule = {big_end: input.bigEnd, reg_end: input.regEnd};
            const base = Object.assign({}, rule, rates);
            const atG = Object.assign({since_big_grid: [input.games, input.games, 1]}, base);
            ctx.plan(3);
            const one = ctx.request('hunt', Object.assign({means_only: true}, atG));
            const full = ctx.request('hunt', atG);
            const grid = ctx.request('hunt', Object.assign({since_big_grid: breakEvenGrid, means_only: true}, base));
            view.advice.hidden = true;
            const shown = {report: null, breakEven: null, ahead: null};
            const show = () => view.answer.replaceChildren(tableOf(shown.report, shown.breakEven, shown.ahead, cash));
            shown.report = await one;
            show();
            view.note.textContent = !cash ? w.fromCoins
                : shown.report.results[0].series.yen_per_attempt_unrounded_cost ? w.fromCash : w.cashNoYen;
            const ahead = full.then((report) => {
                shown.ahead = report;
                if (shown.breakEven) show();
            });
            // A failed or stopped full table fails the run below; its rejection is not left unheard.
            ahead.catch(() => {});
            shown.breakEven = await grid;
            show();
            const said = adviceOf(input.games, input, shown.report, shown.breakEven, cash);
            view.advice.textContent = said.text;
            view.advice.className = 'verdict advice ' + (said.sit ? 'good' : 'bad');
            view.advice.hidden = false;
            view.shown = true;
            await ahead;
        });
    }

    K.tabs.register('aim', {
        mount(section) {
            view = build(section);
            // Figures shown at other rates would mislead: new rates, a new answer.
            K.rates.onChange(() => {
                if (view.shown) run();
            });
        },
        shown() {},
    });
})(self.Korvale = self.Korvale || {});
