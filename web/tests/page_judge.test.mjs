// 設定判別 shows what korvale-batch infer prints for the same log, rule and rates, to the digit:
// the posterior over the settings, P(設定≥4) and what playing on is worth, per setting and mixed.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage} from './support/browser.mjs';
import {batchTable, tableRows} from './support/batch.mjs';

// A made-up afternoon of thirty bonuses, typed by hand.
const thirty = [
    ['BIG', 212], ['REG', 87], ['BIG', 33], ['BIG', 590], ['REG', 301], ['BIG', 14], ['REG', 422],
    ['BIG', 120], ['BIG', 77], ['REG', 260], ['BIG', 1002], ['REG', 45], ['BIG', 8], ['BIG', 333],
    ['REG', 150], ['BIG', 61], ['REG', 720], ['BIG', 240], ['BIG', 19], ['REG', 98], ['BIG', 455],
    ['REG', 12], ['BIG', 180], ['BIG', 26], ['REG', 377], ['BIG', 640], ['REG', 55], ['BIG', 91],
    ['BIG', 300], ['REG', 133],
];
const cases = [
    {name: 'three bonuses from the morning', start: 'morning', log: [['BIG', 120], ['REG', 300], ['BIG', 45]],
     trailing: 100, rule: [0, 0], rates: {lend: 50, exchange: 5, pay: 'coins', games_per_hour: 800}},
    {name: 'thirty bonuses joined midway, a longer rule', start: 'joined', log: thirty, trailing: 250,
     rule: [300, 100], rates: {lend: 50, exchange: 5, pay: 'coins', games_per_hour: 800}},
    {name: 'REGs first, from cash at 46 lent and 5.6 taken', start: 'morning',
     log: [['REG', 80], ['REG', 210], ['BIG', 640], ['BIG', 33]], trailing: 12, rule: [0, 0],
     rates: {lend: 46, exchange: 5.6, pay: 'cash', games_per_hour: 700}},
];

const shared = sharedBrowser();

function expected(c) {
    const r = c.rates;
    const text = batchTable('infer', c.log.map(([k, g]) => `${k} ${g}`).join('\n') + '\n',
                            ['--start', c.start, '--trailing', String(c.trailing), '--big-end', String(c.rule[0]),
                             '--reg-end', String(c.rule[1]), '--lend', String(r.lend), '--exchange', String(r.exchange),
                             '--pay', r.pay, '--games-per-hour', String(r.games_per_hour)]);
    const perSetting = (label) => tableRows(text, label).find((cells) => cells.length === 6);
    const mixed = (label) => tableRows(text, label).find((cells) => cells.length === 1)?.[0];
    return {
        posterior: perSetting('事後確率'),
        atLeast4: tableRows(text, '設定４以上の確率')[0][0],
        atLeast5: tableRows(text, '設定５以上の確率')[0][0],
        coins: perSetting('一回あたりの差枚'),
        coinsMixed: mixed('一回あたりの差枚'),
        yenMixed: mixed('一回あたりの収支（円）'),
    };
}

async function shown(page, c) {
    await page.evaluate(({log, start, rates}) => {
        const entries = log.map(([kind, games], i) => ({id: `j-${i}`, kind, games, at: 10 + i}));
        localStorage.setItem('korvale.counter', JSON.stringify({entries, removed: [], start: {value: start, at: 1},
                                                                now: {text: '0', at: 1}}));
        localStorage.setItem('korvale.rates', JSON.stringify(rates));
    }, c);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    await page.fill('#judge-trailing', String(c.trailing));
    await page.fill('#judge-big-end', String(c.rule[0]));
    await page.fill('#judge-reg-end', String(c.rule[1]));
    await page.click('#tab-judge >> text=判別する');
    await page.waitForSelector('#tab-judge[data-state="done"] [data-key="net_coins_per_attempt-mixed"]', {timeout: 60000});
    const cell = (key) => page.textContent(`#tab-judge [data-key="${key}"]`);
    const settings = [1, 2, 3, 4, 5, 6];
    return {
        posterior: await Promise.all(settings.map((s) => cell(`posterior-${s}`))),
        atLeast4: await cell('at_least_4'),
        atLeast5: await cell('at_least_5'),
        coins: await Promise.all(settings.map((s) => cell(`net_coins_per_attempt-${s}`))),
        coinsMixed: await cell('net_coins_per_attempt-mixed'),
        yenMixed: await cell('yen_per_attempt-mixed'),
    };
}

test('設定判別 equals korvale-batch infer to the printed digit', async (t) => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'judge');
    for (const c of cases) {
        await t.test(c.name, async () => {
            assert.deepEqual(await shown(page, c), expected(c));
        });
    }
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.foreign, []);
    await context.close();
});
