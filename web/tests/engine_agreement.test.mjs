// The engine compiled for the page answers what korvale-batch prints with --format json for the
// same inputs, the time taken aside: the same figures to the last bit (JSON numbers written to
// read back to the same double), but for the figures that pass through the transforms of the
// net's law (the chance to end ahead, its points and error bounds). Those take sines, cosines
// and exponentials from the C library, whose last bit differs between the native one and
// emscripten's: they agree to 1e-12 of their size (error bounds, made of the rounding errors
// of those very sums, to 1e-2), far below every printed digit. Needs the web build (build/web)
// and the native release build.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { writeFileSync, mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { loadEngine, repoRoot } from './engine_load.mjs';

const batch = process.env.KORVALE_BATCH ?? path.join(repoRoot, 'build/release/batch/korvale-batch');
const scratch = mkdtempSync(path.join(tmpdir(), 'korvale-agreement-'));
const engine = await loadEngine();

function native(args, history) {
    const full = [...args, '--format', 'json'];
    if (history !== undefined) {
        const file = path.join(scratch, 'history.txt');
        writeFileSync(file, history);
        full.splice(1, 0, file);
    }
    return JSON.parse(execFileSync(batch, full, { encoding: 'utf8', maxBuffer: 1 << 28 }));
}

function web(name, request) {
    const answer = JSON.parse(engine.call(name, JSON.stringify(request)));
    assert.equal(answer.ok, true, JSON.stringify(answer));
    return answer.report;
}

// What may differ: the time taken, and the name the history was read from.
function comparable(report) {
    const copy = structuredClone(report);
    delete copy.timing;
    delete copy.run.history;
    return copy;
}


// A history of `count` bonuses in the lines form: BIG and REG in a fixed pattern, the games
// before each spread over 20..419.
function history(count) {
    const lines = [];
    for (let i = 0; i < count; ++i) {
        lines.push(`${i % 3 === 2 ? 'REG' : 'BIG'} ${((i * 137) % 400) + 20}`);
    }
    return lines.join('\n') + '\n';
}

// The simulator's run shared out among `threads` parts played apart, then merged.
function simulated(plan) {
    const parts = [];
    for (let thread = plan.threads - 1; thread >= 0; --thread) {
        const answer = JSON.parse(engine.call('simulate', JSON.stringify({...plan, thread})));
        assert.equal(answer.ok, true, JSON.stringify(answer));
        parts.push(answer.report);
    }
    return web('simulate_merge', {plan, parts});
}

// [title, the page's request (or a function giving its report), korvale-batch's arguments,
//  a history file's text, whether every figure comes through the law's transforms]
const cases = [
    ['hunt at one count, all settings', () => web('hunt', {since_big_grid: [800, 800, 1]}),
     ['hunt', '--since-big-grid', '800:800:1']],
    ['hunt of the means only, at one count from cash', () => web('hunt', {
        since_big_grid: [1200, 1200, 1], means_only: true, pay: 'cash', exchange: 5.6}),
     ['hunt', '--since-big-grid', '1200:1200:1', '--means-only', '--pay', 'cash', '--exchange', '5.6']],
    ['hunt from cash at a dear exchange', () => web('hunt', {
        since_big_grid: [0, 1500, 500], pay: 'cash', exchange: 5.6, lend: 46}),
     ['hunt', '--since-big-grid', '0:1500:500', '--pay', 'cash', '--exchange', '5.6',
      '--lend', '46']],
    ['hunt of one setting under a rule, from coins', () => web('hunt', {
        setting: 6, since_big_grid: [200, 1200, 250], big_end: 100, reg_end: 50,
        games_per_hour: 700}),
     ['hunt', '--setting', '6', '--since-big-grid', '200:1200:250', '--big-end', '100',
      '--reg-end', '50', '--games-per-hour', '700']],
    ['infer on a short history joined mid-day', () => web('infer', {
        history: history(4), start: 'joined', trailing: 120, prior: [1, 1, 1, 2, 2, 2]}),
     ['infer', '--start', 'joined', '--trailing', '120', '--prior', '1,1,1,2,2,2'], history(4)],
    ['infer on 30 bonuses with the worth of playing on from cash', () => web('infer', {
        history: history(30), big_end: 0, reg_end: 0, pay: 'cash', exchange: 6}),
     ['infer', '--big-end', '0', '--reg-end', '0', '--pay', 'cash', '--exchange', '6'],
     history(30)],
    ['infer on 30 bonuses with the worth of a rule', () => web('infer', {
        history: history(30), big_end: 300, reg_end: 100}),
     ['infer', '--big-end', '300', '--reg-end', '100'], history(30)],
    ['a day of 500 games at 設定１', () => web('day', {setting: 1, day_games: 500}),
     ['exact', '--setting', '1', '--day-games', '500'], undefined, true],
    ['a sweep, means only', () => web('sweep', {setting: 2, means_only: true, exchange: 5.6}),
     ['sweep', '--setting', '2', '--means-only', '--exchange', '5.6']],
    ['a small sweep with its risk', () => web('sweep', {
        setting: 6, big_ends: [0, 100, 100], reg_ends: [0, 0, 1]}),
     ['sweep', '--setting', '6', '--big-ends', '0:100:100', '--reg-ends', '0:0:1']],
    ['a normal run from a seed on two threads', () => simulated({
        kind: 'normal', setting: 4, games: 3000000, seed: 7, threads: 2}),
     ['simulate', 'normal', '--setting', '4', '--games', '3000000', '--seed', '7',
      '--threads', '2']],
    ['a special run from cash on three threads', () => simulated({
        kind: 'special', setting: 2, attempts: 5001, big_end: 200, reg_end: 50, seed: 9,
        threads: 3, pay: 'cash', lend: 47}),
     ['simulate', 'special', '--setting', '2', '--attempts', '5001', '--big-end', '200',
      '--reg-end', '50', '--seed', '9', '--threads', '3', '--pay', 'cash', '--lend', '47']],
];

// Where two reports differ: the paths of the values that are not equal, or for numbers of the
// law's figures not within their tolerance.
function differences(a, b, transformed, where = '', lawFigure = false, found = []) {
    const law = transformed || lawFigure || /p_ahead|ahead|_p\d|deepest_p|percentile|law|risk|error_bound/.test(where.split('.').at(-1) ?? '');
    if (typeof a === 'number' && typeof b === 'number') {
        const bound = /error_bound/.test(where) ? 1e-2 : 1e-12;
        const scale = Math.max(Math.abs(a), Math.abs(b));
        if (a !== b && !(law && Math.abs(a - b) <= bound * scale)) {
            found.push(`${where}: ${a} vs ${b}`);
        }
    } else if (a !== null && b !== null && typeof a === 'object' && typeof b === 'object') {
        for (const key of new Set([...Object.keys(a), ...Object.keys(b)])) {
            differences(a[key], b[key], transformed, `${where}.${key}`, law, found);
        }
    } else if (a !== b) {
        found.push(`${where}: ${JSON.stringify(a)} vs ${JSON.stringify(b)}`);
    }
    return found;
}

for (const [title, page, args, historyText, transformed] of cases) {
    test(`${title}: as korvale-batch prints it`, () => {
        const found = differences(comparable(page()), comparable(native(args, historyText)),
                                  transformed === true);
        assert.deepStrictEqual(found.slice(0, 10), []);
    });
}
