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
        const text = value.toLocaleString('ja-JP', {maximumFractionDigits: Math.abs(value) >= 1000 ? 0 : 3});
        row.innerHTML = '<td></td><td class="value"></td>';
        row.cells[0].textContent = key;
        row.cells[1].textContent = text;
        document.getElementById('figures').appendChild(row);
    }

    // The driver (run_bench.mjs) may offer its workers' CPU seconds so far: on a shared machine
    // they tell the engine's own work from the waits that other programs cause.
    const cpuSeconds = window.benchCpuSeconds || (() => Promise.resolve(null));

    // Shows the seconds `work` takes as `key`, and the workers' CPU seconds meanwhile as key_cpu.
    async function measure(key, work) {
        const cpuBefore = await cpuSeconds();
        const start = performance.now();
        await work();
        const wall = (performance.now() - start) / 1000;
        const cpuAfter = await cpuSeconds();
        show(key, wall);
        if (cpuBefore !== null) show(key + '_cpu', cpuAfter - cpuBefore);
        return wall;
    }

    // After one warm-up, one call measured.
    async function timed(key, worker, name, request, warmUp) {
        await worker.call(name, warmUp || request);
        return measure(key, () => worker.call(name, request));
    }

    // A fresh worker, its start (from new Worker() to its first answer) measured as `key`.
    async function startedWorker(key) {
        let worker;
        const start = () => {
            worker = engineWorker();
            return worker.call('read_number', {text: '1'});
        };
        await (key ? measure(key, start) : start());
        return worker;
    }

    async function analysis(worker) {
        const hunt = (g, pay) => ({since_big_grid: [g, g, 1], pay});
        await timed('hunt_coins_seconds', worker, 'hunt', hunt(500, 'coins'), hunt(300, 'coins'));
        await timed('hunt_cash_seconds', worker, 'hunt', hunt(500, 'cash'), hunt(300, 'cash'));
        const infer = {history: history30, start: 'morning', trailing: 100};
        await timed('infer_seconds', worker, 'infer', infer);
        await timed('infer_rule_seconds', worker, 'infer', Object.assign({big_end: 300, reg_end: 100}, infer));
        await timed('sweep_first_seconds', worker, 'sweep', {setting: 6, means_only: true},
                    {setting: 1, means_only: true});
        const risk = {setting: 1, big_ends: [0, 300, 300], reg_ends: [0, 100, 100]};
        await measure('sweep_risk_seconds', () => worker.call('sweep', risk));
    }

    // Worker i's share of a plan of gamesPerWorker games a worker, played as thread i of it.
    function share(i, threads) {
        return {kind: 'normal', setting: 1, games: gamesPerWorker * threads, seed, threads, thread: i};
    }

    async function simulation(workers) {
        const threads = workers.length;
        await Promise.all(workers.map((w) => w.call('simulate', {kind: 'normal', games: 1000000, seed})));
        const one = await measure('sim_worker_seconds', () => workers[0].call('simulate', share(0, threads)));
        show('sim_games_per_second_worker', gamesPerWorker / one);
        let merged;
        const all = await measure('sim_all_seconds', async () => {
            const parts = await Promise.all(workers.map((w, i) => w.call('simulate', share(i, threads))));
            const plan = share(0, threads);
            delete plan.thread;
            merged = await workers[0].call('simulate_merge', {plan, parts});
        });
        show('sim_workers', threads);
        show('sim_games_per_second_all', gamesPerWorker * threads / all);
        const games = merged && merged.results && merged.results[0].figures.games.value;
        if (games !== gamesPerWorker * threads) throw new Error(`merged run played ${games} games`);
    }

    async function run() {
        const response = await fetch('../korvale_engine.js', {cache: 'no-store'});
        show('engine_bytes', (await response.arrayBuffer()).byteLength);
        const workers = [await startedWorker('start_seconds')];
        for (let i = 1; i < workerCount; i++) workers.push(await startedWorker());
        try {
            await analysis(workers[0]);
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
