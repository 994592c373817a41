// 狙い目: the rows the page shows for a machine found G games after its last BIG equal the
// native 狙い目 table's to the printed digit, from coins and from cash, and the break-even G
// and the advice follow the native table's break-even block.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage, screenshot, phone, desktop} from './support/browser.mjs';
import {nativeTable, nativeRow, setRates, runTab, shownRows} from './support/tabs.mjs';

const shared = sharedBrowser();

const names = ['設定１', '設定２', '設定３', '設定４', '設定５', '設定６'];
const coins = {lend: 50, exchange: 5, pay: 'coins', games_per_hour: 800};
const cash = {lend: 50, exchange: 5.6, pay: 'cash', games_per_hour: 700};
// G, the rule, the rates, the screenshot's name (one per size).
const cases = [
    {g: 300, big: 0, reg: 0, rates: coins, shot: 'tabs_aim_390', size: phone},
    {g: 1200, big: 0, reg: 0, rates: cash, shot: 'tabs_aim_1280', size: desktop},
    {g: 900, big: 5, reg: 1, rates: coins},
];

const rateArgs = (r) => ['--lend', String(r.lend), '--exchange', String(r.exchange), '--pay', r.pay,
                         '--games-per-hour', String(r.games_per_hour)];

for (const c of cases) {
    test(`狙い目 at ${c.g}G, BIG後${c.big} REG後${c.reg}, ${c.rates.pay}`, async () => {
        const rule = ['--big-end', String(c.big), '--reg-end', String(c.reg)];
        const atG = nativeTable(['hunt', '--since-big-grid', `${c.g}:${c.g}:1`, ...rule, ...rateArgs(c.rates)]);
        const grid = nativeTable(['hunt', '--since-big-grid', '0:1500:50', ...rule, ...rateArgs(c.rates)]);

        const context = await guardedContext(shared.browser, shared.site.url, c.size || phone);
        await setRates(context, c.rates);
        const page = await openPage(context, shared.site.url, 'aim');
        await runTab(page, 'aim', {'#aim-games': String(c.g), '#aim-big-end': String(c.big), '#aim-reg-end': String(c.reg)});
        const rows = await shownRows(page, '#tab-aim table.aim-table');
        assert.equal(rows.length, 7);
        for (const [i, row] of rows.entries()) {
            const heading = i < 6 ? names[i] : '全設定（事後確率での混合）';
            const label = i < 6 ? names[i] : '設定不明';
            assert.equal(row[0], label);
            // 一回の差枚 一回のG数 一回のBIG数 千Gの差枚 一回の収支 時給（円） 勝率 [事後確率]
            const n = nativeRow(atG, heading, String(c.g));
            assert.deepEqual(row.slice(1, 7), [n[0], n[4], n[5], n[6], n[1], i < 6 ? n[7] : ''], `${label} at ${c.g}G`);
            const breakEven = nativeRow(grid, '損益分岐（狙い目）', i < 6 ? names[i] : '全設定');
            assert.deepEqual(row.slice(7), breakEven, `${label}'s break-even G`);
        }
        const advice = await page.textContent('#tab-aim .advice');
        const mixedWorth = Number(rows[6][c.rates.pay === 'cash' ? 2 : 1].replace('円', ''));
        const mixedBreakEven = rows[6][c.rates.pay === 'cash' ? 8 : 7];
        // The advice quotes the mixture's worth and games per attempt as the table shows them.
        if (mixedWorth > 0) assert.ok(advice.startsWith('打つ') && advice.includes(`+${rows[6][c.rates.pay === 'cash' ? 2 : 1]}`) &&
                                      advice.includes(`平均${rows[6][5]}G`), advice);
        else if (mixedBreakEven !== '-' && Number(mixedBreakEven) > c.g) assert.match(advice, new RegExp(`${mixedBreakEven}Gから`));
        else assert.match(advice, /^打たない/);
        if (c.shot) await screenshot(page, c.shot);
        assert.deepEqual(context.foreign, []);
        assert.deepEqual(page.errors, []);
        await context.close();
    });
}
