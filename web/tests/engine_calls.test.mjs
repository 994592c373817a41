// The engine's one door under every kind of request: a failure with its code and reason for
// what it cannot carry out (never a throw, a crash or a hang), the numbers of a field read as the
// program reads them, the catalogue's keys, and progress told while a run goes on.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { loadEngine } from './engine_load.mjs';

const engine = await loadEngine();

function call(name, request, progress) {
    const text = typeof request === 'string' ? request : JSON.stringify(request);
    return JSON.parse(progress ? engine.call(name, text, progress) : engine.call(name, text));
}

// A history of `count` bonuses in the lines form.
function history(count) {
    const lines = [];
    for (let i = 0; i < count; ++i) {
        lines.push(`${i % 3 === 2 ? 'REG' : 'BIG'} ${((i * 137) % 400) + 20}`);
    }
    return lines.join('\n') + '\n';
}

const bad = ['InvalidInput', 'BadRequest'];
const beyond = ['OutOfRange', 'EndBeyondTables'];
const plan = {kind: 'normal', setting: 1, games: 100000, seed: 5, threads: 2};

// [call, request, [code, reason]]
const refused = [
    ['hunt', '{"since_big_grid": [0, 100', bad],
    ['hunt', '[1, 2]', bad],
    ['no_such_call', {}, bad],
    ['hunt', {setting: 7}, bad],
    ['hunt', {setting: 0}, bad],
    ['hunt', {setting: '3'}, bad],
    ['hunt', {setting: 2.5}, bad],
    ['hunt', {aim: 1}, bad],
    ['hunt', {since_big_grid: [0, 1e9, 1]}, bad],
    ['hunt', {since_big_grid: [500, 100, 50]}, bad],
    ['hunt', {since_big_grid: [0, 100000, 1]}, bad],
    ['hunt', {since_big_grid: [0, 1500]}, bad],
    ['hunt', {big_end: -1}, bad],
    ['hunt', {big_end: 1e300}, bad],
    ['hunt', {big_end: 2500}, beyond],
    ['hunt', {reg_end: 1001}, beyond],
    ['hunt', {lend: 0}, bad],
    ['hunt', {lend: 1e18}, bad],
    ['hunt', {exchange: '５'}, bad],
    ['hunt', {pay: 'card'}, bad],
    ['hunt', {games_per_hour: 0}, bad],
    ['hunt', {prior: [0, 0, 0, 0, 0, 0]}, bad],
    ['hunt', {prior: [1, 1, 1, -1, 1, 1]}, bad],
    ['hunt', {prior: [1, 1, 1]}, bad],
    ['hunt', {prior: [1, 1, 1, 1, 1, 1], setting: 2}, bad],
    ['infer', {}, bad],
    ['infer', {history: 42}, bad],
    ['infer', {history: 'the machine paid well today'}, ['InvalidInput', 'NotABonusHistory']],
    ['infer', {history: 'BIG 99999999999\n'}, ['InvalidInput', 'NotABonusHistory']],
    ['infer', {history: history(3), start: 'noon'}, bad],
    ['infer', {history: history(100001)}, bad],
    ['infer', {history: history(3), trailing: -5}, bad],
    ['sweep', {pay: 'cash'}, bad],
    ['sweep', {frontier: true, means_only: true}, bad],
    ['sweep', {means_only: 'yes'}, bad],
    ['sweep', {big_ends: [0, 3000, 50]}, bad],
    ['sweep', {means_only: true, big_ends: [0, 2000, 1], reg_ends: [0, 1000, 1]}, bad],
    ['day', {day_games: 60000}, bad],
    ['day', {day_games: 0}, bad],
    ['simulate', {kind: 'normal', threads: 2}, bad],
    ['simulate', {kind: 'normal', games: 1e20}, bad],
    ['simulate', {kind: 'normal', attempts: 10}, bad],
    ['simulate', {kind: 'normal', games: 10, seed: 1, threads: 2, thread: 2}, bad],
    ['simulate', {kind: 'normal', games: 10, exchange: 5.6}, bad],
    ['simulate', {kind: 'special', attempts: 10, big_end: 3000}, beyond],
    ['simulate', {kind: 'special', attempts: 10, seed: -1}, bad],
    ['simulate_merge', {plan, parts: []}, bad],
    ['simulate_merge', {plan, parts: 'all'}, bad],
    ['simulate_merge', {parts: []}, bad],
    ['frontier', {}, bad],
    ['frontier', {rules: 'all'}, bad],
    ['frontier', {rules: [5]}, bad],
    ['frontier', {rules: [], setting: 6}, bad],
    ['frontier', {rules: [{big_end: 0, reg_end: 0, p_ahead: 0.5}]}, bad],
    ['frontier', {rules: [{reg_end: 0, net_per_1000_games: 10, p_ahead: 0.5}]}, bad],
    ['frontier', {rules: [{big_end: -50, reg_end: 0, net_per_1000_games: 10, p_ahead: 0.5}]}, bad],
    ['frontier', {rules: [{big_end: 0, reg_end: 0, net_per_1000_games: '10', p_ahead: 0.5}]}, bad],
    ['frontier', {rules: [{big_end: 0, reg_end: 0, net_per_1000_games: 1e300, p_ahead: 0.5}]}, bad],
    ['frontier', {rules: [{big_end: 0, reg_end: 0, net_per_1000_games: 10, p_ahead: 1.5}]}, bad],
    ['frontier', {rules: [{big_end: 0, reg_end: 0, net_per_1000_games: 10, p_ahead: 0.5, mark: 1}]}, bad],
];

test('refused requests answer a failure with its code and reason', () => {
    for (const [name, request, [code, reason]] of refused) {
        const answer = call(name, request);
        const said = `${name} ${JSON.stringify(request)}: ${JSON.stringify(answer)}`;
        assert.equal(answer.ok, false, said);
        assert.deepEqual([answer.code, answer.reason], [code, reason], said);
        assert.equal(typeof answer.message, 'string', said);
        assert.ok(answer.message.length > 0, said);
    }
});

test('a log of thousands of bonuses is judged, and the engine goes on answering', () => {
    const answer = call('infer', {history: history(5000), trailing: 30});
    assert.equal(answer.ok, true, JSON.stringify(answer).slice(0, 300));
    const posterior = answer.report.results
        .filter((group) => group.setting !== null)
        .map((group) => group.figures.posterior.value);
    assert.equal(posterior.length, 6);
    assert.ok(Math.abs(posterior.reduce((a, b) => a + b, 0) - 1) < 1e-12);
    assert.equal(call('read_number', {text: '7'}).value, 7);
});

// Two parts of one run, each as the engine answers it.
function parts() {
    return [0, 1].map((thread) => call('simulate', {...plan, thread}).report);
}

test('parts that are not the plan\'s are refused', () => {
    const [first, second] = parts();
    const tampered = structuredClone(second);
    tampered.share.normal.big_gaps.total += 1;
    const cases = [
        [first, first],
        [first, {...second, seed: '6'}],
        [first, {...second, thread: 5}],
        [first, {...second, threads: 3}],
        [first, tampered],
        [first, {thread: 1, threads: 2, seed: '5'}],
        [first],
    ];
    for (const given of cases) {
        const answer = call('simulate_merge', {plan, parts: given});
        assert.deepEqual([answer.ok, answer.code], [false, 'InvalidInput'], JSON.stringify(answer));
    }
    // In any order, the same run.
    const merged = call('simulate_merge', {plan, parts: [second, first]});
    const inOrder = call('simulate_merge', {plan, parts: [first, second]});
    assert.equal(merged.ok, true);
    assert.deepEqual(merged.report.results, inOrder.report.results);
    assert.equal(merged.report.results[0].figures.games.value, 100000);
});

// The frontier call over the rules of the sweep's own frontier, given in reverse and with a rule
// that one of them beats on both counts: the beaten one is left out, the rest in the sweep's order.
test('the frontier call answers the sweep\'s frontier in its order', () => {
    const key = (r) => `${r.big_end}/${r.reg_end}`;
    const grid = {setting: 1, big_ends: [0, 200, 100], reg_ends: [0, 100, 100], frontier: true};
    const frontier = call('sweep', grid).report.results;
    assert.ok(frontier.length >= 2, JSON.stringify(frontier.map(key)));
    const asked = frontier.map((r) => ({big_end: r.big_end, reg_end: r.reg_end,
                                        net_per_1000_games: r.figures.net_per_1000_games_unrounded_cost.value,
                                        p_ahead: r.figures.p_ahead.value})).reverse();
    const beaten = {...asked[0], big_end: 999, net_per_1000_games: asked[0].net_per_1000_games - 1,
                    p_ahead: asked[0].p_ahead / 2};
    const rules = [beaten, ...asked];
    const answer = call('frontier', {rules});
    assert.equal(answer.ok, true, JSON.stringify(answer));
    assert.deepEqual(answer.report.frontier.map((i) => key(rules[i])), frontier.map(key));
    // A rule whose chance is not known is on no frontier.
    assert.deepEqual(call('frontier', {rules: [{...asked[0], p_ahead: null}]}).report, {frontier: []});
});

// [text, options, value or failure reason]
const numbers = [
    ['42', {}, 42],
    [' 42 ', {}, 42],
    ['１２．５', {}, 12.5],
    ['－３', {}, -3],
    ['１ｅ３', {whole: true}, 1000],
    ['\u3000８０\u3000', {whole: true, min: 1, max: 100}, 80],
    ['', {}, 'Empty'],
    ['\u3000 \t', {}, 'Empty'],
    ['abc', {}, 'NotANumber'],
    ['1,000', {}, 'NotANumber'],
    ['12kg', {}, 'NotANumber'],
    ['12.5', {whole: true}, 'NotWhole'],
    ['-5', {min: 0}, 'BelowMinimum'],
    ['1e400', {max: 10}, 'AboveMaximum'],
    ['１０１', {max: 100}, 'AboveMaximum'],
];

test('numbers are read as the program reads its fields', () => {
    for (const [text, options, expected] of numbers) {
        const answer = call('read_number', {text, ...options});
        if (typeof expected === 'number') {
            assert.deepEqual(answer, {ok: true, value: expected}, text);
        } else {
            assert.deepEqual([answer.ok, answer.code, answer.reason],
                             [false, 'InvalidInput', expected], text);
        }
    }
});

test('the figure keys name the figures the page shows', () => {
    const keys = call('figure_keys', {}).report;
    for (const key of ['net_per_1000_games', 'yen_per_hour', 'yen_per_attempt', 'break_even',
                       'posterior', 'at_least_4', 'payout_percent', 'big_odds', 'p_ahead']) {
        assert.ok(keys.includes(key), key);
    }
    assert.equal(new Set(keys).size, keys.length);
});

// How often it is told is a matter of the clock, which a test does not time: only that it is
// told, in order, within the run.
test('a run tells its progress while it goes on', () => {
    const heard = [];
    const games = 200000000;
    const answer = call('simulate', {kind: 'normal', games, seed: 3},
                        (share, played) => heard.push({share, played}));
    assert.equal(answer.ok, true);
    assert.ok(heard.length >= 2, `${heard.length} calls`);
    for (let i = 1; i < heard.length; ++i) {
        assert.ok(heard[i].share >= heard[i - 1].share && heard[i].share <= 1);
        assert.ok(heard[i].played >= heard[i - 1].played && heard[i].played <= games);
    }
});
