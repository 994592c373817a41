// Long work of a tab: one run at a time (a new one cancels the one before, also one still reading
// its fields), the engine requests of a run cancelled together by 停止, its progress and its
// failure shown in one status line, and the tables its answers fill. The tab's section carries
// the run's state in data-state (working, done, failed, idle) for whoever waits on it.
(function (K) {
    'use strict';
    const el = (...a) => K.el(...a);
    const w = K.words.work;

    function statusLine() {
        const bar = el('progress', {max: 1, value: 0, hidden: true});
        const text = el('span', {className: 'work-text', role: 'status'});
        const stop = el('button', {type: 'button', className: 'work-stop', hidden: true}, w.stop);
        return {node: el('div', {className: 'work'}, bar, text, stop), bar, text, stop};
    }

    // A run's context: its requests (cancelled with it) and their shares of the work done.
    function runContext(owner, run) {
        const share = new Map();
        const showProgress = () => {
            if (owner.current !== run) return;
            let sum = 0;
            share.forEach((s) => (sum += s));
            owner.progress(sum / Math.max(run.planned, share.size, 1));
        };
        return {
            live: () => owner.current === run,
            // Ends the run without an answer, saying why (or nothing).
            end(text) {
                if (owner.current === run) owner.finish(text || '', 'idle');
            },
            // How many requests the run will make in all, for its progress.
            plan(count) {
                run.planned = count;
                showProgress();
            },
            request(name, req, onProgress) {
                // A replaced run asks nothing more of the engine.
                if (owner.current !== run) {
                    const refused = Promise.reject({code: 'Cancelled', reason: 'replaced'});
                    refused.catch(() => {});
                    return refused;
                }
                const key = {};
                share.set(key, 0);
                const promise = K.engine.request(name, req, {
                    onProgress(p) {
                        share.set(key, Math.min(1, Math.max(0, Number(p.progress) || 0)));
                        showProgress();
                        if (onProgress && owner.current === run) onProgress(p);
                    },
                });
                run.pending.add(promise);
                const settle = () => {
                    run.pending.delete(promise);
                    share.set(key, 1);
                    showProgress();
                };
                promise.then(settle, settle);
                // A later answer of a replaced run is dropped here, not by every caller.
                const answer = promise.then((report) => {
                    if (owner.current !== run) throw {code: 'Cancelled', reason: 'replaced'};
                    return report;
                });
                // A run that fails or is replaced leaves its other requests unawaited: not an error.
                answer.catch(() => {});
                return answer;
            },
        };
    }

    // {node, start(job), cancel(), busy()}: job(ctx) is an async function making the requests;
    // the text it returns, if any, is said when it is done.
    function create() {
        const status = statusLine();
        const owner = {current: null};
        owner.progress = (p) => {
            status.bar.hidden = false;
            status.bar.value = p;
            status.text.textContent = w.share(p);
        };
        const showState = (state) => {
            const tab = status.node.closest('.tab');
            if (tab) tab.dataset.state = state;
        };
        owner.finish = (text, state) => {
            owner.current = null;
            status.bar.hidden = true;
            status.stop.hidden = true;
            status.text.textContent = text;
            showState(state);
        };
        const finish = owner.finish;
        function cancel(quiet) {
            const run = owner.current;
            if (!run) return;
            owner.current = null;
            run.pending.forEach((p) => K.engine.cancel(p));
            if (!quiet) finish(K.words.failureText({code: 'Cancelled'}), 'idle');
        }
        async function start(job) {
            cancel(true);
            const run = {pending: new Set(), planned: 0};
            owner.current = run;
            status.stop.hidden = false;
            status.bar.hidden = false;
            status.bar.removeAttribute('value');
            status.text.textContent = w.working;
            showState('working');
            try {
                const said = await job(runContext(owner, run));
                if (owner.current === run) finish(typeof said === 'string' ? said : w.done, 'done');
            } catch (failure) {
                if (owner.current !== run) return;
                const f = failure && failure.code ? failure : {code: 'other'};
                if (!(failure && failure.code)) console.error(failure);
                run.pending.forEach((p) => K.engine.cancel(p));
                finish(w.failed(K.words.failureText(f)), 'failed');
            }
        }
        status.stop.addEventListener('click', () => cancel(false));
        return {node: status.node, start, cancel: () => cancel(false), busy: () => owner.current !== null};
    }

    // A table: head is a list of captions, rows a list of lists of cell texts (a row may carry
    // {cells, className}). The first column names the row.
    function table(head, rows, className) {
        const headRow = el('tr', null, head.map((h) => el('th', {scope: 'col'}, h)));
        const body = rows.map((row) => {
            const cells = Array.isArray(row) ? row : row.cells;
            return el('tr', {className: Array.isArray(row) ? '' : row.className || ''},
                      cells.map((c, i) => (i === 0 ? el('th', {scope: 'row'}, c) : el('td', null, c))));
        });
        return el('div', {className: 'table-wrap'},
                  el('table', {className: 'numbers ' + (className || '')}, el('thead', null, headRow),
                     el('tbody', null, body)));
    }

    // The hall's rates as the engine's request fields.
    function rateFields(rates) {
        const r = rates || K.rates.get();
        return {lend: r.lend, exchange: r.exchange, pay: r.pay, games_per_hour: r.games_per_hour};
    }

    // Reads fields in order; null when any will not do (each shows its own message).
    async function readAll(specs) {
        const values = {};
        let ok = true;
        for (const [name, input, options] of specs) {
            const v = await K.fields.read(input, options);
            if (v === null) ok = false;
            values[name] = v;
        }
        return ok ? values : null;
    }

    // A tab's typed texts kept in storage as they are typed, so nothing is lost on a reload.
    function keepTexts(key, inputs) {
        const kept = K.store.get(key, {}) || {};
        for (const [name, input] of Object.entries(inputs)) {
            if (typeof kept[name] === 'string') input.value = kept[name];
            input.addEventListener('input', () => {
                const now = K.store.get(key, {}) || {};
                now[name] = input.value;
                K.store.set(key, now);
            });
        }
    }

    // A select of 設定１..設定６ (values 1..6), optionally led by another choice (value 0).
    function settingSelect(id, first) {
        const options = [];
        if (first) options.push(el('option', {value: '0'}, first));
        for (let s = 1; s <= 6; s++) options.push(el('option', {value: String(s)}, K.format.setting(s)));
        return el('select', {id, name: id}, options);
    }

    K.tabWork = {create, table, rateFields, readAll, keepTexts, settingSelect};
})(self.Korvale = self.Korvale || {});
