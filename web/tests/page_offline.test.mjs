// The page once loaded works offline (its service worker answers every file, the engine
// included), asks nothing of any other origin, and the single-file build works from disk.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {sharedBrowser, guardedContext, openPage, repoRoot} from './support/browser.mjs';
import {logBonus, showTab, totals} from './support/counter.mjs';

const shared = sharedBrowser();

async function judged(page) {
    await showTab(page, 'judge');
    await page.click('#tab-judge >> text=判別する');
    const done = '#tab-judge[data-state="done"] [data-key="posterior-6"]';
    await page.waitForSelector(done, {timeout: 60000}).catch(async (e) => {
        const said = await page.textContent('#tab-judge .status');
        throw new Error(`${e.message}\nthe tab said: ${said}`);
    });
    return page.textContent('#tab-judge [data-key="posterior-6"]');
}

test('after a first load the page and its engine work offline', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    assert.ok(await page.evaluate(() => Boolean(navigator.serviceWorker.controller)), 'the worker holds the page');
    await logBonus(page, 'BIG', 250);
    const online = await judged(page);

    await context.setOffline(true);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    await showTab(page, 'counter');
    await logBonus(page, 'REG', 40);
    assert.deepEqual(await totals(page), {big: 1, reg: 1});
    assert.match(await judged(page), /%$/);
    // The same log and count as online, minus the REG: undo it and the answer is the one seen.
    await showTab(page, 'counter');
    await page.click('#tab-counter >> text=取り消し');
    assert.equal(await judged(page), online);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.foreign, []);
    await context.close();
});

test('the single-file build works opened from disk', async () => {
    const context = await shared.browser.newContext();
    const requests = [];
    context.on('request', (r) => requests.push(r.url()));
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.goto(pathToFileURL(path.join(repoRoot, 'build/web/korvale.html')).href);
    await page.waitForSelector('html[data-ready="true"]');
    await logBonus(page, 'BIG', 300);
    assert.match(await judged(page), /%$/);
    assert.deepEqual(errors, []);
    assert.deepEqual(requests.filter((u) => !/^(file|blob|data):/.test(u)), [], 'nothing asked of a server');
    await context.close();
});
