// 一日の収支: the law of a day at the hall, a new machine from the morning played for N games,
// worked out exactly by the engine, one setting a request so that the workers share them.
(function (K) {
    'use strict';
    const el = (...a) => K.el(...a);
    const f = K.format;
    const w = K.words.day;
    const work = K.tabWork;
    const points = [1, 5, 10, 25, 50, 75, 90, 95, 99];
    let view = null;

    const value = (r, key) => {
        const fig = r.figures && r.figures[key];
        return fig ? fig.value : null;
    };

    function build(section) {
        const games = K.fields.make('day-games', w.games, '8000');
        const setting = work.settingSelect('day-setting', w.all);
        const runner = work.create();
        const note = el('p', {className: 'note', hidden: true}, w.coinsOnly);
        const answer = el('div', {className: 'answer'});
        const form = el('form', {className: 'inputs', noValidate: true}, games.label,
                        el('label', {className: 'field'}, el('span', {className: 'caption'}, w.setting), setting),
                        el('button', {type: 'submit', className: 'primary'}, K.words.work.run));
        section.append(el('h2', null, w.heading), form, runner.node, note, answer);
        work.keepTexts('day.inputs', {games: games.input, setting});
        form.addEventListener('submit', (event) => {
            event.preventDefault();
            run();
        });
        return {games: games.input, setting, runner, note, answer};
    }

    // Days by setting (in the order asked); a setting not yet answered shows as pending.
    function show(settings, days) {
        const pending = '…';
        const summary = settings.map((s) => {
            const d = days.get(s);
            const cell = (key, form) => (d ? form(value(d, key)) : pending);
            return [f.setting(s), cell('net_coins_per_attempt', f.number), cell('yen_per_attempt', f.yen),
                    cell('yen_per_hour', f.yen), cell('p_ahead', f.share), cell('p_behind', f.share)];
        });
        const spread = points.map((p) => [w.point(p)].concat(settings.map((s) => {
            const d = days.get(s);
            return d ? f.number(value(d, 'net_coins_p' + p)) : pending;
        })));
        view.answer.replaceChildren(
            work.table([w.setting, w.netCoins, w.netYen, w.hourly, w.pAhead, w.pBehind], summary, 'day-table'),
            el('h3', null, w.percentiles),
            work.table([''].concat(settings.map((s) => f.setting(s))), spread, 'day-spread'));
    }

    async function run() {
        const games = await K.fields.read(view.games, {whole: true, min: 1, max: 50000, label: w.games});
        if (games === null) return;
        const chosen = Number(view.setting.value) || 0;
        const settings = chosen ? [chosen] : [1, 2, 3, 4, 5, 6];
        view.runner.start(async (ctx) => {
            const rates = work.rateFields();
            // The exact day is worked out for coins only (the cash a day puts in is measured).
            view.note.hidden = rates.pay !== 'cash';
            rates.pay = 'coins';
            ctx.plan(settings.length);
            const days = new Map();
            show(settings, days);
            await Promise.all(settings.map((s) =>
                ctx.request('day', Object.assign({setting: s, day_games: games}, rates)).then((report) => {
                    days.set(s, report.results.find((r) => r.scope === 'day'));
                    show(settings, days);
                })));
        });
    }

    K.tabs.register('day', {
        mount(section) {
            view = build(section);
        },
        shown() {},
    });
})(self.Korvale = self.Korvale || {});
