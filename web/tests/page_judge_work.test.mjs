// 設定判別's run as the other tabs' runs: 停止 ends it and says so, a log with nothing in it asks
// for one, a field that will not do ends the run without an answer, and the answer holds no
// stray text where a note does not apply.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage, phone} from './support/browser.mjs';

const shared = sharedBrowser();

const threeBonuses = [['BIG', 120], ['REG', 300], ['BIG', 45]];

async function withLog(page, log, pay) {
    await page.evaluate(({log, pay}) => {
        const entries = log.map(([kind, games], i) => ({id: `w-${i}`, kind, games, at: 10 + i}));
        localStorage.setItem('korvale.counter', JSON.stringify({entries, removed: [], start: {value: 'morning', at: 1},
                                                                now: {text: '100', at: 1}}));
        localStorage.setItem('korvale.rates', JSON.stringify({lend: 50, exchange: 5, pay, games_per_hour: 800}));
    }, {log, pay});
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
}

const state = (page) => page.getAttribute('#tab-judge', 'data-state');
const said = (page) => page.textContent('#tab-judge .work-text');

test('設定判別: its run ends as every tab\'s run ends', async (t) => {
    const context = await guardedContext(shared.browser, shared.site.url, phone);
    const page = await openPage(context, shared.site.url, 'judge');

    await t.test('an empty log asks for bonuses', async () => {
        await withLog(page, [], 'coins');
        await page.waitForFunction(() => document.querySelector('#tab-judge').dataset.state === 'idle');
        assert.equal(await said(page), 'カウンターに当たりを記録すると判別します');
    });
    await t.test('停止 ends the run and says so', async () => {
        await withLog(page, threeBonuses, 'coins');
        await page.fill('#judge-big-end', '300');
        await page.click('#tab-judge >> text=判別する');
        await page.click('#tab-judge .work-stop');
        assert.equal(await said(page), '止めました');
        assert.equal(await state(page), 'idle');
        assert.equal(await page.isHidden('#tab-judge .work-stop'), true);
    });
    await t.test('a field that will not do ends the run without an answer', async () => {
        await page.fill('#judge-trailing', 'x');
        await page.click('#tab-judge >> text=判別する');
        await page.waitForFunction(() => document.querySelector('#tab-judge').dataset.state === 'idle');
        assert.equal(await said(page), '');
        assert.equal(await page.textContent('#tab-judge .result'), '');
    });
    for (const pay of ['coins', 'cash']) {
        await t.test(`BIG後0 REG後0 from ${pay}: no "null" in the answer`, async () => {
            await withLog(page, threeBonuses, pay);
            await page.fill('#judge-big-end', '0');
            await page.fill('#judge-reg-end', '0');
            // Two presses: the second replaces the first, and only its answer is shown.
            await page.click('#tab-judge >> text=判別する');
            await page.click('#tab-judge >> text=判別する');
            await page.waitForSelector('#tab-judge[data-state="done"] [data-key="posterior-1"]', {timeout: 60000});
            assert.doesNotMatch(await page.textContent('#tab-judge .result'), /null|undefined|NaN/);
            assert.equal(await page.locator('#tab-judge [data-key="posterior-1"]').count(), 1);
        });
    }
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.foreign, []);
    await context.close();
});
