// カウンター: the player types the games on the machine's data counter and presses BIG or REG
// when a bonus falls; the log is kept in storage. Every entry has its own id, and an undone or
// cleared entry leaves its id behind, so two tabs' logs merge into one without losing an entry
// made in either: each tab writes the union of what it holds and what is stored.
(function (K) {
    'use strict';
    const w = K.words.counter;
    const el = (...a) => K.el(...a);
    const maxGames = 99999;
    const shownEntries = 200;
    const tabId = Math.random().toString(36).slice(2, 10) + Date.now().toString(36);
    let sequence = 0;
    const listeners = [];
    let state = empty();
    let view = null;

    function empty() {
        return {entries: [], removed: [], start: {value: 'morning', at: 0}, now: {text: '', at: 0}};
    }

    function wellFormed(s) {
        return s && Array.isArray(s.entries) && Array.isArray(s.removed) && s.start && s.now;
    }

    const byTime = (a, b) => a.at - b.at || (a.id < b.id ? -1 : a.id > b.id ? 1 : 0);
    const later = (a, b) => (b.at > a.at ? b : a);

    function merge(a, b) {
        if (!wellFormed(b)) return a;
        const removed = new Set(a.removed.concat(b.removed));
        const entries = new Map();
        for (const e of a.entries.concat(b.entries)) {
            if (!removed.has(e.id)) entries.set(e.id, e);
        }
        return {entries: Array.from(entries.values()).sort(byTime), removed: Array.from(removed),
                start: later(a.start, b.start), now: later(a.now, b.now)};
    }

    const sameState = (a, b) => wellFormed(b) && a.entries.length === b.entries.length &&
        a.removed.length === b.removed.length && a.start.at === b.start.at && a.now.at === b.now.at &&
        a.entries.every((e, i) => e.id === b.entries[i].id);

    function save() {
        const kept = K.store.set('counter', state);
        if (view) view.warning.hidden = kept;
    }

    // Every change: take in what another tab stored meanwhile, change, store, show.
    function change(mutate) {
        state = merge(state, K.store.get('counter', empty()));
        mutate(state);
        save();
        changed();
    }

    function changed() {
        if (view) render();
        listeners.forEach((fn) => fn());
    }

    function fromOtherTab() {
        const stored = K.store.get('counter', empty());
        state = merge(state, stored);
        if (!sameState(state, stored)) save();
        changed();
    }

    async function log(kind) {
        const games = await K.fields.read(view.games, {whole: true, min: 1, max: maxGames, label: w.games});
        if (games === null) return;
        change((s) => {
            s.entries.push({id: `${tabId}-${++sequence}`, kind, games, at: Date.now()});
            s.now = {text: '0', at: Date.now()};
        });
        view.games.value = '0';
        say(w.logged(kind, games));
    }

    function undo() {
        const last = state.entries[state.entries.length - 1];
        if (!last) return;
        change((s) => {
            s.removed.push(last.id);
            s.entries = s.entries.filter((e) => e.id !== last.id);
        });
        say(w.undone(last.kind, last.games));
    }

    function clear() {
        if (!state.entries.length || !self.confirm(w.clearAsk)) return;
        const gone = new Set(state.entries.map((e) => e.id));
        change((s) => {
            s.removed.push(...gone);
            s.entries = s.entries.filter((e) => !gone.has(e.id));
        });
        say(w.cleared);
    }

    function say(text) {
        view.status.textContent = text;
    }

    function render() {
        const entries = state.entries;
        const bigs = entries.filter((e) => e.kind === 'BIG').length;
        view.totals.textContent = w.totals(bigs, entries.length - bigs);
        const first = Math.max(0, entries.length - shownEntries);
        const rows = [];
        for (let i = entries.length - 1; i >= first; i--) {
            const e = entries[i];
            rows.push(el('li', {className: e.kind === 'BIG' ? 'big' : 'reg'},
                         el('span', {className: 'n'}, String(i + 1)), el('span', {className: 'kind'}, e.kind),
                         el('span', {className: 'g'}, K.format.games(e.games))));
        }
        if (first > 0) rows.push(el('li', {className: 'more'}, w.more(first)));
        view.list.replaceChildren(...rows);
        view.empty.hidden = entries.length > 0;
        view.undo.disabled = view.clear.disabled = entries.length === 0;
        for (const radio of view.start.querySelectorAll('input')) radio.checked = radio.value === state.start.value;
        if (document.activeElement !== view.games && !view.games.classList.contains('invalid')) {
            view.games.value = state.now.text;
        }
    }

    function mount(section) {
        const games = K.fields.make('counter-games', w.games, '', {placeholder: w.gamesHint});
        const button = (text, className) => el('button', {type: 'button', className, textContent: text});
        const startChoice = (value, text) =>
            el('label', {className: 'choice'}, el('input', {type: 'radio', name: 'counter-start', value}), text);
        view = {
            games: games.input,
            big: button(w.big, 'bonus big'),
            reg: button(w.reg, 'bonus reg'),
            undo: button(w.undo, 'secondary'),
            clear: button(w.clear, 'secondary danger'),
            start: el('fieldset', {className: 'field start'}, el('legend', {}, w.start),
                      startChoice('morning', w.morning), startChoice('joined', w.joined)),
            status: el('p', {className: 'status', role: 'status'}),
            warning: el('p', {className: 'warning', hidden: true}, K.words.storageRefused),
            totals: el('p', {className: 'totals'}),
            empty: el('p', {className: 'empty'}, w.empty),
            list: el('ol', {className: 'log', reversed: true}),
        };
        section.append(el('div', {className: 'counter-columns'},
                          el('div', {className: 'counter-controls'}, games.label,
                             el('div', {className: 'bonus-buttons'}, view.big, view.reg), view.status, view.warning,
                             el('div', {className: 'actions'}, view.undo, view.clear), view.start),
                          el('div', {className: 'counter-log'}, view.totals, view.empty, view.list)));
        view.big.addEventListener('click', () => log('BIG'));
        view.reg.addEventListener('click', () => log('REG'));
        view.undo.addEventListener('click', undo);
        view.clear.addEventListener('click', clear);
        view.start.addEventListener('change', (e) => change((s) => {
            s.start = {value: e.target.value, at: Date.now()};
        }));
        view.games.addEventListener('input', () => setNow(view.games.value));
        render();
    }

    // The text typed as the games now, kept so that a reload or another tab shows it too.
    function setNow(text) {
        change((s) => {
            s.now = {text: String(text), at: Date.now()};
        });
    }

    state = merge(state, K.store.get('counter', empty()));
    K.store.onChange('counter', fromOtherTab);
    K.counter = {
        entries: () => state.entries.map((e) => ({kind: e.kind, games: e.games})),
        start: () => state.start.value,
        nowText: () => state.now.text,
        setNow,
        onChange: (fn) => listeners.push(fn),
        maxGames,
    };
    K.tabs.register('counter', {mount, shown() {}});
})(self.Korvale = self.Korvale || {});
