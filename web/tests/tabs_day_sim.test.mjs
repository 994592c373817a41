// 一日の収支 and シミュレータ: the page's figures equal the native tables' to the printed digit:
// a day's law from `exact --day-games`, and a run played on the page's workers, merged, against
// `simulate ... --threads T --seed S` with T the page's workers.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage, screenshot, phone, desktop} from './support/browser.mjs';
import {nativeTable, nativeRow, setRates, runTab, shownRows, shownTotals} from './support/tabs.mjs';

const shared = sharedBrowser();

const names = ['設定１', '設定２', '設定３', '設定４', '設定５', '設定６'];
const dayCases = [
    // setting 0: every setting, each its own request.
    {setting: 0, games: 600, rates: {lend: 50, exchange: 5, pay: 'coins', games_per_hour: 800}, size: phone, shot: 'tabs_day_390'},
    // From cash the day is worked out in coins, as the note says.
    {setting: 4, games: 1500, rates: {lend: 46, exchange: 5.6, pay: 'cash', games_per_hour: 750}, size: desktop, shot: 'tabs_day_1280'},
];

for (const c of dayCases) {
    test(`一日の収支: ${c.games}G, ${c.setting ? names[c.setting - 1] : '全設定'}, ${c.rates.pay}`, async () => {
        const args = ['exact', '--day-games', String(c.games), '--lend', String(c.rates.lend),
                      '--exchange', String(c.rates.exchange), '--games-per-hour', String(c.rates.games_per_hour)];
        const native = nativeTable(c.setting ? [...args, '--setting', String(c.setting)] : args);
        const settings = c.setting ? [c.setting] : [1, 2, 3, 4, 5, 6];
        const row = (label) => nativeRow(native, '一日の収支', label);

        const context = await guardedContext(shared.browser, shared.site.url, c.size);
        await setRates(context, c.rates);
        const page = await openPage(context, shared.site.url, 'day');
        await runTab(page, 'day', {'#day-games': String(c.games), '#day-setting': String(c.setting)});
        const summary = await shownRows(page, '#tab-day table.day-table');
        const labels = ['一回あたりの差枚', '一回あたりの収支（円）', '時給（円）', '勝ち越す確率', '負け越す確率'];
        const expected = settings.map((s, i) => [names[s - 1], ...labels.map((l) => row(l)[i])]);
        assert.deepEqual(summary, expected);
        const spread = await shownRows(page, '#tab-day table.day-spread');
        const points = [1, 5, 10, 25, 50, 75, 90, 95, 99];
        assert.deepEqual(spread, points.map((p) => [`${p}%点`, ...row(`差枚の${p}%点`)]));
        assert.equal(await page.isVisible('#tab-day .note'), c.rates.pay === 'cash');
        await screenshot(page, c.shot);
        assert.deepEqual(page.errors, []);
        await context.close();
    });
}

// The window's captions and the native table's rows they show.
const frame1 = [['プレイ数', 'プレイ数'], ['差枚', '差枚'], ['割', '機械割'], ['BIG', 'BIG回数'],
                ['1/BIG', 'BIG確率'], ['REG', 'REG回数'], ['1/REG', 'REG確率']];
const modes = [0, 1, 2, 3, 4, 5].flatMap((m) => [[`モード${m} 回転数`, `モード${m} 回転数`],
                                                 [`モード${m} BIG回数`, `モード${m} BIG回数`],
                                                 [`モード${m} RT解除率　1/`, `モード${m} RT解除率`]]);
const perAttempt = [['挑戦回数', '挑戦回数'], ['一回あたりのプレイ数', '一回あたりのプレイ数'],
                    ['一回あたりの差枚', '一回あたりの差枚'], ['一回あたりのBIG数', '一回あたりのBIG数']];
const simCases = [
    {kind: 'normal', setting: 3, games: 3000000, seed: 12345, size: phone, shot: 'tabs_sim_390', replaces: true,
     heading: '長期の数値（通常）', boxes: [...frame1, ...modes]},
    {kind: 'special', setting: 5, attempts: 20000, big: 200, reg: 50, seed: 987654321, size: desktop,
     shot: 'tabs_sim_1280', heading: '一回の挑戦（特別）', boxes: [...frame1, ...perAttempt]},
];

for (const c of simCases) {
    test(`シミュレータ ${c.kind}: 設定${c.setting}, seed ${c.seed}, on every worker`, async () => {
        const context = await guardedContext(shared.browser, shared.site.url, c.size);
        const page = await openPage(context, shared.site.url, 'sim');
        const threads = await page.evaluate(() => Korvale.engine.workerCount);
        await page.check(`#tab-sim input[name="sim-kind"][value="${c.kind}"]`);
        const fills = {'#sim-setting': String(c.setting), '#sim-seed': String(c.seed)};
        if (c.replaces) {
            // A run already going is replaced by the one asked next: only the second's totals show.
            await page.fill('#sim-games', '4000000000');
            await page.click('#tab-sim form button[type="submit"]');
            await page.waitForSelector('#tab-sim .work-stop:not([hidden])');
        }
        if (c.kind === 'normal') fills['#sim-games'] = String(c.games);
        else Object.assign(fills, {'#sim-attempts': String(c.attempts), '#sim-big-end': String(c.big), '#sim-reg-end': String(c.reg)});
        await runTab(page, 'sim', fills);
        const shown = await shownTotals(page);

        const args = ['simulate', c.kind, '--setting', String(c.setting), '--seed', String(c.seed), '--threads', String(threads)];
        if (c.kind === 'normal') args.push('--games', String(c.games));
        else args.push('--attempts', String(c.attempts), '--big-end', String(c.big), '--reg-end', String(c.reg));
        const native = nativeTable(args);
        const expected = Object.fromEntries(c.boxes.map(([caption, label]) =>
            [caption, nativeRow(native, c.heading, label)[0].replace(/^1\//, '')]));
        assert.deepEqual(shown, expected);
        await screenshot(page, c.shot);
        assert.deepEqual(page.errors, []);
        await context.close();
    });
}

test('シミュレータ: 停止 ends the run on every worker and says so', async () => {
    const context = await guardedContext(shared.browser, shared.site.url, phone);
    const page = await openPage(context, shared.site.url, 'sim');
    await page.check('#tab-sim input[name="sim-kind"][value="normal"]');
    await page.fill('#sim-games', '4000000000');
    await page.click('#tab-sim form button[type="submit"]');
    await page.waitForFunction(() => /[1-9]/.test(document.querySelector('#tab-sim .note').textContent.split('・')[1] || ''));
    await page.click('#tab-sim .work-stop');
    assert.equal(await page.textContent('#tab-sim .work-text'), '止めました');
    assert.equal(await page.$$eval('#tab-sim .total', (b) => b.length), 0);
    // The workers are free again: a short run answers at once.
    await runTab(page, 'sim', {'#sim-games': '100000', '#sim-seed': '5'}, 60000);
    assert.equal(await page.textContent('#tab-sim .total output'), '100000');
    assert.deepEqual(page.errors, []);
    await context.close();
});
