// ヤメ時: the best rules by the mean, and the efficient frontier the page puts together from its
// parts of the grid, equal the native sweep's tables over the whole grid to the printed digit.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage, screenshot, phone, desktop} from './support/browser.mjs';
import {nativeTable, runTab} from './support/tabs.mjs';

const shared = sharedBrowser();

// The native table's rule rows: [rule, mark, cells...], the mark '' where a rule has none.
function nativeRules(text, columns) {
    const lines = text.split('\n');
    const from = lines.findIndex((l) => l.startsWith('BIG後/REG後'));
    const rows = [];
    for (const line of lines.slice(from + 2)) {
        if (!/^\d+\/\d+/.test(line)) break;
        const cells = line.trim().split(/\s{2,}/);
        if (cells.length === columns - 1) cells.splice(1, 0, '');
        rows.push(cells);
    }
    return rows;
}

const cases = [
    {setting: 6, big: [400, 200], reg: [200, 200], size: phone, shot: 'tabs_quit_390'},
    {setting: 2, big: [600, 200], reg: [100, 100], size: desktop, shot: 'tabs_quit_1280'},
];

for (const c of cases) {
    test(`ヤメ時 for 設定${c.setting}: BIG後 0..${c.big[0]} by ${c.big[1]}, REG後 0..${c.reg[0]} by ${c.reg[1]}`, async () => {
        const grid = ['--setting', String(c.setting), '--big-ends', `0:${c.big[0]}:${c.big[1]}`,
                      '--reg-ends', `0:${c.reg[0]}:${c.reg[1]}`];
        // 最善 一回のG数 一回の差枚 千Gの差枚 [フロンティア] 勝ち越す確率 50%点 10%点
        const frontier = nativeRules(nativeTable(['sweep', ...grid, '--frontier']), 8);
        const best = nativeRules(nativeTable(['sweep', ...grid, '--means-only']), 5);

        const context = await guardedContext(shared.browser, shared.site.url, c.size);
        const page = await openPage(context, shared.site.url, 'quit');
        await runTab(page, 'quit', {'#quit-setting': String(c.setting), '#quit-big-last': String(c.big[0]),
                                    '#quit-big-step': String(c.big[1]), '#quit-reg-last': String(c.reg[0]),
                                    '#quit-reg-step': String(c.reg[1])});
        const tables = await page.$$('#tab-quit table.quit-table');
        assert.equal(tables.length, 2);
        const rowsOf = (table) => table.$$eval('tbody tr', (rows) =>
            rows.map((tr) => Array.from(tr.children).map((td) => td.textContent.trim())));
        const [bestRows, frontierRows] = [await rowsOf(tables[0]), await rowsOf(tables[1])];
        // The best rules: rule, mark and the means, as the means-only table prints them.
        assert.deepEqual(bestRows.map((r) => r.slice(0, 5)), best);
        // The frontier: every column the native frontier table prints, in its order.
        assert.deepEqual(frontierRows.map((r) => r.slice(0, 8)), frontier);
        await screenshot(page, c.shot);
        assert.deepEqual(page.errors, []);
        await context.close();
    });
}
