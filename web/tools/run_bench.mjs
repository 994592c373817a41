#!/usr/bin/env node
// The benchmark page driven headless: serves the built site, opens /bench/ in Debian's chromium
// (playwright-core) once a run, and right after each page run times the native korvale-batch on
// one thread and on every core for the same games. Prints the medians against the goals and
// writes every run's figures to a JSON file. Beside each wall time the CPU time the page's
// workers took (read from /proc): on a shared machine the figure the others' load leaves be.
//   node run_bench.mjs --help
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {fileURLToPath} from 'node:url';
import {createServer} from './serve.mjs';
import {launch} from '../tests/support/browser.mjs';

const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const clockTicks = 100; // USER_HZ: the unit of /proc's CPU times on every Linux

// [key, what it is, goal as [comparison, bound] or none]; key_cpu, when there, the CPU figure.
const rows = [
    ['engine_bytes', 'korvale_engine.js, bytes'],
    ['engine_gzip_bytes', 'the same, gzip -9'],
    ['start_seconds', 'module start in a worker (to its first answer), s'],
    ['hunt_coins_seconds', '狙い目: one G, every setting, coins, s', ['<=', 1]],
    ['hunt_cash_seconds', '狙い目: one G, every setting, cash, s', ['<=', 1]],
    ['infer_seconds', '設定判別: 30 bonuses, s', ['<=', 0.5]],
    ['infer_rule_seconds', '設定判別: 30 bonuses with a rule 300/100, s', ['<=', 0.5]],
    ['sweep_first_seconds', 'ヤメ時: first answer (設定６ means only), s', ['<=', 20]],
    ['sweep_risk_seconds', 'ヤメ時: 設定１, 4 rules with risk, s'],
    ['sim_games_per_second_worker', 'simulator: games/s, one worker'],
    ['native_games_per_second', 'native korvale-batch, one thread, games/s'],
    ['sim_ratio', 'one worker / native thread (per run)', ['>=', 0.4]],
    ['sim_games_per_second_all', 'simulator: games/s, every worker at once'],
    ['native_games_per_second_all', 'native korvale-batch, every core, games/s'],
    ['load_before', 'load average (1 min) before the page run'],
];

const usage = 'usage: node run_bench.mjs [--runs R] [--games N] [--seed S] [--site DIR] [--batch FILE] [--out FILE]';

function parse(argv) {
    if (argv.includes('--help') || argv.includes('-h')) {
        console.log(usage);
        process.exit(0);
    }
    const options = {runs: 3, games: 200000000, seed: 41, site: path.join(repoRoot, 'build/web/site'),
                     batch: path.join(repoRoot, 'build/release/batch/korvale-batch'),
                     out: path.join(repoRoot, 'build/web/bench.json')};
    for (let i = 0; i < argv.length; i += 2) {
        const key = argv[i].replace(/^--/, '');
        if (!(key in options) || argv[i + 1] === undefined) throw new Error(`bad option ${argv[i]}\n${usage}`);
        options[key] = typeof options[key] === 'number' ? Number(argv[i + 1]) : path.resolve(argv[i + 1]);
    }
    for (const key of ['runs', 'games', 'seed']) {
        if (!Number.isSafeInteger(options[key]) || options[key] < 1) throw new Error(`--${key} takes a whole number`);
    }
    return options;
}

// utime + stime, in clock ticks, of a /proc stat line, and its parent's pid.
function statOf(file) {
    const stat = fs.readFileSync(file, 'utf8');
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    return {ppid: Number(fields[1]), cpu: Number(fields[11]) + Number(fields[12])};
}

// CPU seconds used so far by the Web Workers' threads of the browser this process started:
// the engine's own work, without the browser's other threads.
function workerCpuSeconds() {
    const parents = new Map();
    for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
        try {
            parents.set(Number(pid), statOf(`/proc/${pid}/stat`).ppid);
        } catch {
            // gone meanwhile
        }
    }
    const ours = (pid) => {
        for (let p = parents.get(pid); p; p = parents.get(p)) if (p === process.pid) return true;
        return false;
    };
    let ticks = 0;
    for (const pid of [...parents.keys()].filter(ours)) {
        try {
            for (const tid of fs.readdirSync(`/proc/${pid}/task`)) {
                const task = `/proc/${pid}/task/${tid}`;
                if (fs.readFileSync(`${task}/comm`, 'utf8').startsWith('DedicatedWorker')) ticks += statOf(`${task}/stat`).cpu;
            }
        } catch {
            // gone meanwhile
        }
    }
    return ticks / clockTicks;
}

// Games a second of `korvale-batch simulate normal` for `games` games a thread, by the wall
// clock and by its CPU time (/usr/bin/time, when the machine has it).
function nativeRun(options, threads) {
    const games = options.games * threads;
    const args = ['simulate', 'normal', '--threads', String(threads), '--games', String(games),
                  '--seed', String(options.seed), '--format', 'json'];
    const timeFile = path.join(os.tmpdir(), `run_bench_${process.pid}.time`);
    const timed = fs.existsSync('/usr/bin/time');
    const [program, programArgs] = timed ? ['/usr/bin/time', ['-f', '%U %S', '-o', timeFile, options.batch, ...args]]
                                         : [options.batch, args];
    const start = process.hrtime.bigint();
    const result = spawnSync(program, programArgs, {encoding: 'utf8', maxBuffer: 1 << 26});
    const seconds = Number(process.hrtime.bigint() - start) / 1e9;
    if (result.status !== 0) throw new Error(`korvale-batch ${args.join(' ')}: ${result.stderr}`);
    let cpu = null;
    if (timed) {
        cpu = fs.readFileSync(timeFile, 'utf8').trim().split(/\s+/).map(Number).reduce((a, b) => a + b, 0);
        fs.rmSync(timeFile);
    }
    return {perSecond: games / seconds, perCpuSecond: cpu ? games / cpu : null};
}

async function pageRun(browser, url, options) {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.exposeFunction('benchCpuSeconds', workerCpuSeconds);
    await page.goto(`${url}bench/bench.html?games=${options.games}&seed=${options.seed}`);
    await page.waitForSelector('html[data-done], html[data-failed]', {timeout: 30 * 60 * 1000});
    const failed = await page.getAttribute('html', 'data-failed');
    const figures = await page.evaluate(() => window.benchFigures);
    await page.close();
    if (failed !== null || errors.length) throw new Error(`bench page: ${failed || errors.join('; ')}`);
    return figures;
}

// One run: the page, then the native program on the same games; the figures made of both.
async function benchRun(browser, url, options, gzipBytes) {
    const load = os.loadavg()[0];
    const f = await pageRun(browser, url, options);
    const native = nativeRun(options, 1);
    const nativeAll = nativeRun(options, f.sim_workers);
    const perCpu = (seconds) => (seconds > 0 ? options.games / seconds : null);
    Object.assign(f, {
        engine_gzip_bytes: gzipBytes, load_before: load,
        native_games_per_second: native.perSecond, native_games_per_second_cpu: native.perCpuSecond,
        native_games_per_second_all: nativeAll.perSecond,
        sim_games_per_second_worker_cpu: perCpu(f.sim_worker_seconds_cpu),
        sim_ratio: f.sim_games_per_second_worker / native.perSecond,
    });
    if (f.sim_games_per_second_worker_cpu && native.perCpuSecond) {
        f.sim_ratio_cpu = f.sim_games_per_second_worker_cpu / native.perCpuSecond;
    }
    return f;
}

function median(values) {
    const sorted = values.filter((v) => typeof v === 'number').sort((a, b) => a - b);
    if (!sorted.length) return null;
    const mid = sorted.length >> 1;
    return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
}

function cpuName() {
    const lscpu = spawnSync('lscpu', [], {encoding: 'utf8'});
    const line = (lscpu.stdout || '').split('\n').find((l) => l.startsWith('Model name:'));
    return `${line ? line.split(':')[1].trim() : os.cpus()[0].model}, ${os.cpus().length} CPUs`;
}

function met(value, goal) {
    if (!goal || value === null) return '';
    const ok = goal[0] === '<=' ? value <= goal[1] : value >= goal[1];
    return `${goal[0]} ${goal[1]}: ${ok ? 'met' : 'missed'}`;
}

// Pads to a width in terminal columns, a Japanese character taking two.
function pad(text, width) {
    const columns = [...text].reduce((n, c) => n + (c.codePointAt(0) >= 0x2e80 ? 2 : 1), 0);
    return text + ' '.repeat(Math.max(0, width - columns));
}

function printTable(runs, medians) {
    const number = (v) => (v === null || v === undefined ? '-'
        : Math.abs(v) >= 1000 ? Math.round(v).toLocaleString('en-US') : v.toPrecision(3));
    console.log(`${pad('figure (medians)', 52)} ${'wall'.padStart(12)} ${'CPU'.padStart(12)}   runs (wall); goal`);
    for (const [key, label, goal] of rows) {
        const each = runs.map((r) => number(r[key])).join(' ');
        console.log(`${pad(label, 52)} ${number(medians[key]).padStart(12)} ${number(medians[key + '_cpu']).padStart(12)}` +
                    `   ${each}; ${met(medians[key], goal)}`);
    }
}

async function main() {
    const options = parse(process.argv.slice(2));
    for (const file of ['bench/bench.html', 'korvale_engine.js', 'engine_worker.js']) {
        if (!fs.existsSync(path.join(options.site, file))) throw new Error(`no ${file} in ${options.site}: build the site first`);
    }
    const engine = fs.readFileSync(path.join(options.site, 'korvale_engine.js'));
    const gzipBytes = zlib.gzipSync(engine, {level: 9}).length;
    const server = createServer(options.site);
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const url = `http://127.0.0.1:${server.address().port}/`;
    const browser = await launch();
    const chromiumVersion = browser.version();
    const runs = [];
    try {
        for (let r = 0; r < options.runs; r++) {
            runs.push(await benchRun(browser, url, options, gzipBytes));
            console.error(`run ${r + 1} of ${options.runs} done`);
        }
    } finally {
        await browser.close();
        server.closeAllConnections();
        server.close();
    }
    const keys = new Set(runs.flatMap((r) => Object.keys(r)));
    const medians = Object.fromEntries([...keys].map((key) => [key, median(runs.map((r) => r[key]))]));
    printTable(runs, medians);
    const command = `node web/tools/run_bench.mjs ${process.argv.slice(2).join(' ')}`.trim();
    const goals = Object.fromEntries(rows.filter((row) => row[2]).map(([key, , goal]) => [key, goal.join(' ')]));
    const result = {date: new Date().toISOString(), cpu: cpuName(), command, chromium: chromiumVersion,
                    medians, goals, runs};
    fs.mkdirSync(path.dirname(options.out), {recursive: true});
    fs.writeFileSync(options.out, JSON.stringify(result, null, 2) + '\n');
    console.log(`figures written to ${options.out}`);
}

main().catch((e) => {
    console.error(`run_bench.mjs: ${e.message}`);
    process.exit(1);
});
