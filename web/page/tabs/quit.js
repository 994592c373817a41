// ヤメ時 for one setting: the engine's sweep of end rules. First what every rule is worth on
// average (fast: the best rules at once), then the rules' risk, one rule a request so that the
// workers share the grid, a coarse grid first: the frontier is shown from the rules known so
// far and grows as their answers come.
(function (K) {
    'use strict';
    const el = (...a) => K.el(...a);
    const f = K.format;
    const w = K.words.quit;
    const work = K.tabWork;
    const maxRules = 500;
    let view = null;

    const value = (r, key) => {
        const fig = r.figures && r.figures[key];
        return fig ? fig.value : null;
    };
    const detail = (r, key) => Boolean(r.details && r.details[key] && r.details[key].value);
    const ruleKey = (r) => `${r.big_end}/${r.reg_end}`;

    // The rules' figures as the engine's frontier call takes them (p_ahead null: not known).
    const frontierRequest = (rules) => ({
        rules: rules.map((r) => ({big_end: r.big_end, reg_end: r.reg_end,
                                  net_per_1000_games: value(r, 'net_per_1000_games_unrounded_cost'),
                                  p_ahead: value(r, 'p_ahead')})),
    });

    // The grid's values 0..LAST by STEP, and the order its rules are asked in: a coarse grid
    // first (every stride-th BIG end and REG end), then the rest, so that the frontier takes
    // its shape early.
    function gridValues(last, step) {
        const values = [];
        for (let v = 0; v <= last; v += step) values.push(v);
        return values;
    }
    const strideOf = (values) => Math.max(1, Math.round((values.length - 1) / 4));
    function coarseFirst(bigEnds, regEnds) {
        const [sb, sr] = [strideOf(bigEnds), strideOf(regEnds)];
        const rules = bigEnds.flatMap((b, i) => regEnds.map((r, j) => ({b, r, coarse: i % sb === 0 && j % sr === 0})));
        return rules.filter((x) => x.coarse).concat(rules.filter((x) => !x.coarse));
    }

    function build(section) {
        const setting = work.settingSelect('quit-setting');
        setting.value = '6';
        const fields = {
            bigLast: K.fields.make('quit-big-last', w.bigLast, '1000'),
            bigStep: K.fields.make('quit-big-step', w.bigStep, '50'),
            regLast: K.fields.make('quit-reg-last', w.regLast, '300'),
            regStep: K.fields.make('quit-reg-step', w.regStep, '50'),
        };
        const runner = work.create();
        const best = el('div', {className: 'answer'});
        const frontier = el('div', {className: 'answer'});
        const form = el('form', {className: 'inputs', noValidate: true},
                        el('label', {className: 'field'}, el('span', {className: 'caption'}, w.setting), setting),
                        el('div', {className: 'pair'}, fields.bigLast.label, fields.bigStep.label),
                        el('div', {className: 'pair'}, fields.regLast.label, fields.regStep.label),
                        el('button', {type: 'submit', className: 'primary'}, K.words.work.run));
        const note = el('p', {className: 'note', hidden: true}, w.coinsOnly);
        section.append(el('h2', null, w.heading), form, runner.node, note, best, frontier);
        const inputs = {setting};
        for (const [name, field] of Object.entries(fields)) inputs[name] = field.input;
        work.keepTexts('quit.inputs', inputs);
        form.addEventListener('submit', (event) => {
            event.preventDefault();
            run();
        });
        return Object.assign({runner, note, best, frontier, shown: false}, inputs);
    }

    async function readInputs() {
        const input = await work.readAll([
            ['bigLast', view.bigLast, {whole: true, min: 0, max: 2000, label: w.bigLast}],
            ['bigStep', view.bigStep, {whole: true, min: 1, max: 2000, label: w.bigStep}],
            ['regLast', view.regLast, {whole: true, min: 0, max: 1000, label: w.regLast}],
            ['regStep', view.regStep, {whole: true, min: 1, max: 1000, label: w.regStep}],
        ]);
        if (!input) return null;
        const rules = gridValues(input.bigLast, input.bigStep).length * gridValues(input.regLast, input.regStep).length;
        if (rules > maxRules) {
            K.fields.show(view.bigStep, w.tooMany(rules, maxRules));
            return null;
        }
        input.setting = Number(view.setting.value) || 1;
        return input;
    }

    function marks(r) {
        const m = [];
        if (detail(r, 'best_per_attempt')) m.push(w.perAttempt);
        if (detail(r, 'best_per_1000_games')) m.push(w.per1000);
        return m.join('・');
    }

    // Rules as rows; the risk of a rule comes from `risk` (by rule) once known.
    function rulesTable(rules, bestByKey, risk) {
        const head = [w.rule, w.bestMark, w.gamesPer, w.netCoins, w.netPer1000, w.pAhead, w.p50, w.p10, w.hourly];
        const rows = rules.map((r) => {
            const known = risk.get(ruleKey(r));
            const riskCell = (key, form) => (known ? form(value(known, key)) : '…');
            const flagged = bestByKey.get(ruleKey(r));
            return [ruleKey(r), flagged ? marks(flagged) : '', f.number(value(r, 'games_per_attempt')),
                    f.number(value(r, 'net_coins_per_attempt_unrounded_cost')),
                    f.number(value(r, 'net_per_1000_games_unrounded_cost')), riskCell('p_ahead', f.share),
                    riskCell('net_coins_p50', f.number), riskCell('net_coins_p10', f.number),
                    f.yen(value(r, 'yen_per_hour_unrounded_cost'))];
        });
        return work.table(head, rows, 'quit-table');
    }

    function showBest(bestRules, risk) {
        const byKey = new Map(bestRules.map((r) => [ruleKey(r), r]));
        view.best.replaceChildren(el('h3', null, w.best), rulesTable(bestRules, byKey, risk));
        return byKey;
    }

    // The frontier among the rules known so far, as the engine draws it over a whole grid: the
    // union of the parts' rules is one grid.
    function showFrontier(byKey, risk, rules, done, all) {
        const caption = done < all ? w.frontierPartial(done, all) : w.frontierDone(all);
        view.frontier.replaceChildren(el('h3', null, w.frontier), el('p', {className: 'note'}, caption),
                                      rulesTable(rules, byKey, risk));
    }

    async function run() {
        const input = await readInputs();
        if (!input) return;
        view.runner.start(async (ctx) => {
            const base = Object.assign({setting: input.setting}, work.rateFields());
            // The cash a rule puts in is measured, not worked out: the rules are compared in coins.
            view.note.hidden = base.pay !== 'cash';
            base.pay = 'coins';
            const rules = coarseFirst(gridValues(input.bigLast, input.bigStep), gridValues(input.regLast, input.regStep));
            ctx.plan(1 + rules.length);
            view.best.replaceChildren();
            view.frontier.replaceChildren();
            const means = ctx.request('sweep', Object.assign({big_ends: [0, input.bigLast, input.bigStep],
                                                             reg_ends: [0, input.regLast, input.regStep], means_only: true}, base));
            // One rule a request: the workers share the grid, and each answer comes as it is done.
            const parts = rules.map(({b, r}) => ctx.request('sweep', Object.assign({big_ends: [b, b, 1], reg_ends: [r, r, 1]}, base)));
            const risk = new Map();
            const bestRules = (await means).results.filter((r) => marks(r) !== '');
            const byKey = showBest(bestRules, risk);
            // The frontier asked again as rules come: one request at a time, the next with every
            // rule known by then; the chain ends with all of them.
            let asking = null;
            let stale = false;
            const askFrontier = () => {
                if (asking) {
                    stale = true;
                    return;
                }
                const known = Array.from(risk.values());
                asking = ctx.request('frontier', frontierRequest(known)).then((answer) => {
                    const rules = answer.frontier.map((i) => known[i]);
                    showFrontier(byKey, risk, rules, known.length, parts.length);
                }).finally(() => {
                    asking = null;
                    if (!stale) return null;
                    stale = false;
                    askFrontier();
                    return asking;
                });
            };
            await Promise.all(parts.map((p) => p.then((report) => {
                report.results.forEach((r) => risk.set(ruleKey(r), r));
                showBest(bestRules, risk);
                askFrontier();
            })));
            await asking;
            view.shown = true;
        });
    }

    K.tabs.register('quit', {
        mount(section) {
            view = build(section);
        },
        shown() {},
    });
})(self.Korvale = self.Korvale || {});
