// The engine's speed in the browser, as a user waits for it: each figure is the time of the
// round trip to a worker (performance.now() around request and answer), after one warm-up.
// The figures land in window.benchFigures, and <html data-done> is set when they are all in
// (data-failed, with the message, when one fails); web/tools/run_bench.mjs reads them.
(function () {
    'use strict';
    const params = new URLSearchParams(location.search);
    const gamesPerWorker = Number(params.get('games')) || 200000000;
    const seed = Number(params.get('seed')) || 41;
    const workerCount = navigator.hardwareConcurrency || 1;
    const figures = {hardware_concurrency: workerCount, games_per_worker: gamesPerWorker, seed};
    window.benchFigures = figures;

    // Thirty bonuses of a morning's play, as a player's log writes them.
    const history30 = ['BIG 123', 'REG 45', 'BIG 310', 'BIG 88', 'REG 402', 'BIG 156', 'BIG 77',
        'REG 230', 'BIG 501', 'BIG 12', 'REG 333', 'BIG 264', 'BIG 190', 'REG 58', 'BIG 410',
        'BIG 96', 'BIG 275', 'REG 149', 'BIG 38', 'BIG 620', 'REG 211', 'BIG 142', 'BIG 356',
        'REG 97', 'BIG 183', 'BIG 444', 'REG 71', 'BIG 229', 'BIG 118', 'REG 305'].join('\n');

    // One worker of the page's own kind (engine_worker.js and its module), spoken to by id.
    function engineWorker() {
        const worker = new Worker('../engine_worker.js');
        const waiting = new Map();
        let nextId = 1;
        worker.onmessage = (event) => {
            const data = event.data;
            if (!data || !('ok' in data) || !waiting.has(data.id)) return; // progress
            const job = waiting.get(data.id);
            waiting.delete(data.id);
            if (data.ok) job.resolve('report' in data ? data.report : data);
            else job.reject(new Error(JSON.stringify(data.failure || data)));
        };
        worker.onerror = (event) => {
            event.preventDefault();
            for (const job of waiting.values()) job.reject(new Error(event.message || 'worker failed'));
            waiting.clear();
        };
        return {
            call(name, request) {
                const id = nextId++;
                return new Promise((resolve, reject) => {
                    waiting.set(id, {resolve, reject});
                    worker.postMessage({id, name, request});
                });
            },
            end: () => worker.terminate(),
        };
    }

    function show(key, value) {
        figures[key] = value;
        const row = document.createElement('tr');
        const text = typeof value === 'number' ? value.toLocaleString('ja-JP', {maximumFractionDigits: 3}) : value;
        row.innerHTML = '<td></td><td class="value"></td>';
        row.cells[0].textContent = key;
        row.cells[1].textContent = text;
        document.getElementById('figures').appendChild(row);
    }

    async function seconds(work) {
        const start = performance.now();
        await work();
        return (performance.now() - start) / 1000;
    }

    // After one warm-up, the seconds of one call.
    async function timed(worker, name, request, warmUp) {
        await worker.call(name, warmUp || request);
        return seconds(() => worker.call(name, request));
    }

    // A fresh worker's start: from new Worker() to its first answer.
    async function startedWorker() {
        let worker;
        const wait = await seconds(() => {
            worker = engineWorker();
            return worker.call('read_number', {text: '1'});
        });
        return {worker, wait};
    }

    async function analysis(worker) {
        const hunt = (g, pay) => ({since_big_grid: [g, g, 1], pay});
        show('hunt_coins_seconds', await timed(worker, 'hunt', hunt(500, 'coins'), hunt(300, 'coins')));
        show('hunt_cash_seconds', await timed(worker, 'hunt', hunt(500, 'cash'), hunt(300, 'cash')));
        const infer = {history: history30, start: 'morning', trailing: 100};
        show('infer_seconds', await timed(worker, 'infer', infer));
        const rule = Object.assign({big_end: 300, reg_end: 100}, infer);
        show('infer_rule_seconds', await timed(worker, 'infer', rule));
        show('sweep_first_seconds', await timed(worker, 'sweep', {setting: 6, means_only: true},
                                                {setting: 1, means_only: true}));
        const risk = {setting: 1, big_ends: [0, 300, 300], reg_ends: [0, 100, 100]};
        show('sweep_risk_seconds', await seconds(() => worker.call('sweep', risk)));
    }

    // Worker i's share of a plan of gamesPerWorker games a worker, played as thread i of it.
    function share(i, threads) {
        return {kind: 'normal', setting: 1, games: gamesPerWorker * threads, seed, threads, thread: i};
    }

    async function simulation(workers) {
        const threads = workers.length;
        await Promise.all(workers.map((w) => w.call('simulate', {kind: 'normal', games: 1000000, seed})));
        const one = await seconds(() => workers[0].call('simulate', share(0, threads)));
        show('sim_worker_seconds', one);
        show('sim_games_per_second_worker', gamesPerWorker / one);
        let merged;
        const all = await seconds(async () => {
            const parts = await Promise.all(workers.map((w, i) => w.call('simulate', share(i, threads))));
            const plan = share(0, threads);
            delete plan.thread;
            merged = await workers[0].call('simulate_merge', {plan, parts});
        });
        show('sim_workers', threads);
        show('sim_all_seconds', all);
        show('sim_games_per_second_all', gamesPerWorker * threads / all);
        const games = merged && merged.results && merged.results[0].figures.games.value;
        if (games !== gamesPerWorker * threads) throw new Error(`merged run played ${games} games`);
    }

    async function run() {
        const response = await fetch('../korvale_engine.js', {cache: 'no-store'});
        show('engine_bytes', (await response.arrayBuffer()).byteLength);
        const first = await startedWorker();
        show('start_seconds', first.wait);
        const workers = [first.worker];
        for (let i = 1; i < workerCount; i++) workers.push((await startedWorker()).worker);
        try {
            await analysis(first.worker);
            await simulation(workers);
        } finally {
            workers.forEach((w) => w.end());
        }
    }

    run().then(() => {
        document.getElementById('state').textContent = '計測終了';
        document.documentElement.dataset.done = 'true';
    }, (e) => {
        document.getElementById('state').textContent = '失敗: ' + e.message;
        document.documentElement.dataset.failed = e.message;
    });
})();
