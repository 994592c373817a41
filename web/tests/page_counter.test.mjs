// The カウンター's log: kept across a reload, shared by two tabs without either losing an entry,
// undone and cleared as asked, and a log of thousands of bonuses kept whole.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage} from './support/browser.mjs';
import {logBonus, shownLog, showTab, totals} from './support/counter.mjs';
import {batchTable, tableRows} from './support/batch.mjs';

const shared = sharedBrowser();

test('the log survives a reload and a closed tab', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    const log = [['BIG', 123], ['REG', 45], ['BIG', 1500], ['REG', 1]];
    for (const [kind, games] of log) await logBonus(page, kind, games);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    assert.deepEqual(await shownLog(page), log);
    await page.close();
    const again = await openPage(context, shared.site.url, 'counter');
    assert.deepEqual(await shownLog(again), log);
    assert.deepEqual(context.foreign, []);
    await context.close();
});

test('two open tabs keep every entry either makes, in the order made', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const [a, b] = [await openPage(context, shared.site.url, 'counter'), await openPage(context, shared.site.url, 'counter')];
    await logBonus(a, 'BIG', 100);
    await logBonus(b, 'REG', 200);
    await logBonus(a, 'BIG', 300);
    // Both at once: each writes what it holds and what is stored; neither entry may be lost.
    await Promise.all([logBonus(a, 'REG', 11), logBonus(b, 'BIG', 22)]);
    const wanted = {big: 3, reg: 2};
    for (const page of [a, b]) {
        await page.waitForFunction(() => /BIG 3回・REG 2回/.test(document.querySelector('#tab-counter .totals').textContent));
        assert.deepEqual(await totals(page), wanted);
        assert.deepEqual((await shownLog(page)).slice(0, 3), [['BIG', 100], ['REG', 200], ['BIG', 300]]);
    }
    const fresh = await openPage(context, shared.site.url, 'counter');
    assert.deepEqual(await totals(fresh), wanted);
    await context.close();
});

test('undo takes the last entry; clear asks first, and keeps the log when refused', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    for (const [kind, games] of [['BIG', 10], ['REG', 20], ['BIG', 30]]) await logBonus(page, kind, games);
    await page.click('#tab-counter >> text=取り消し');
    assert.deepEqual(await shownLog(page), [['BIG', 10], ['REG', 20]]);
    page.once('dialog', (d) => d.dismiss());
    await page.click('#tab-counter >> text=全部消す');
    assert.deepEqual(await shownLog(page), [['BIG', 10], ['REG', 20]]);
    page.once('dialog', (d) => d.accept());
    await page.click('#tab-counter >> text=全部消す');
    assert.deepEqual(await shownLog(page), []);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    assert.deepEqual(await totals(page), {big: 0, reg: 0});
    await context.close();
});

test('a log of thousands of bonuses is kept whole, takes one more and is judged', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    const n = 3000;
    // Logged by the page's own store, as many presses would leave it (pressing 3000 times is slow).
    await page.evaluate((count) => {
        const entries = Array.from({length: count}, (_, i) => ({id: `t-${i}`, kind: i % 3 ? 'REG' : 'BIG',
                                                                games: 1 + (i * 37) % 900, at: 1000 + i}));
        localStorage.setItem('korvale.counter', JSON.stringify({entries, removed: [],
            start: {value: 'morning', at: 1}, now: {text: '0', at: 1}}));
    }, n);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    assert.deepEqual(await totals(page), {big: 1000, reg: 2000});
    await logBonus(page, 'BIG', 77);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    assert.deepEqual(await totals(page), {big: 1001, reg: 2000});
    assert.deepEqual((await shownLog(page)).at(-1), ['BIG', 77]);

    await showTab(page, 'judge');
    await page.fill('#judge-trailing', '5');
    await page.click('#tab-judge >> text=判別する');
    await page.waitForSelector('#tab-judge[data-state="done"] [data-key="at_least_4"]', {timeout: 60000});
    const history = Array.from({length: n}, (_, i) => `${i % 3 ? 'REG' : 'BIG'} ${1 + (i * 37) % 900}`).join('\n') +
                    '\nBIG 77\n';
    const table = batchTable('infer', history, ['--trailing', '5', '--big-end', '0', '--reg-end', '0']);
    assert.equal(await page.textContent('#tab-judge [data-key="at_least_4"]'), tableRows(table, '設定４以上の確率')[0][0]);
    assert.equal(await page.textContent('#tab-judge [data-key="games"]'), tableRows(table, 'プレイ数')[0][0]);
    await context.close();
});
