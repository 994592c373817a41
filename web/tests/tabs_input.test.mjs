// Hostile input in every field of 狙い目, ヤメ時, 一日の収支 and シミュレータ: each gets a message in
// Japanese beside it, nothing is asked of the engine, and the text typed stays as typed, also
// across a reload. A full-width value is read as the program reads it.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage, phone} from './support/browser.mjs';
import {runTab} from './support/tabs.mjs';

const shared = sharedBrowser();

const hostile = ['', '-5', '99999999999999999999999', 'abc', '300G\tBIG', '1e999', '１２．５ｘ', '0x10'];
// tab, field, a valid text for each other field of the tab, and for the sim its run kind.
const fields = [
    ['aim', '#aim-games'], ['aim', '#aim-big-end'], ['aim', '#aim-reg-end'],
    ['quit', '#quit-big-last'], ['quit', '#quit-big-step'], ['quit', '#quit-reg-last'], ['quit', '#quit-reg-step'],
    ['day', '#day-games'],
    ['sim', '#sim-games', 'normal'], ['sim', '#sim-seed', 'normal'], ['sim', '#sim-attempts', 'special'],
    ['sim', '#sim-big-end', 'special'], ['sim', '#sim-reg-end', 'special'],
];
const japanese = /[\u3040-\u30ff\u4e00-\u9fff]/;

test('every hostile text gets a Japanese message and stays as typed', async () => {
    const context = await guardedContext(shared.browser, shared.site.url, phone);
    const page = await openPage(context, shared.site.url, 'aim');
    const asked = [];
    await page.exposeFunction('noteRequest', (name) => asked.push(name));
    await page.evaluate(() => {
        const request = Korvale.engine.request;
        Korvale.engine.request = (name, ...rest) => {
            if (name !== 'read_number') window.noteRequest(name);
            return request(name, ...rest);
        };
    });
    for (const [tab, field, kind] of fields) {
        await page.click(`[data-tab="${tab}"]`);
        if (kind) await page.check(`#tab-sim input[name="sim-kind"][value="${kind}"]`);
        for (const text of hostile) {
            await page.fill(field, text);
            await page.evaluate((f) => {
                const m = document.querySelector(f + '-message');
                if (m) m.textContent = '';
            }, field);
            await page.click(`#tab-${tab} form button[type="submit"]`);
            await page.waitForFunction((f) => {
                const m = document.querySelector(f + '-message');
                return m && !m.hidden && m.textContent !== '';
            }, field, {timeout: 20000});
            const said = await page.textContent(`${field}-message`);
            assert.match(said, japanese, `${field} "${text}": ${said}`);
            assert.equal(await page.inputValue(field), text, `${field} keeps "${text}"`);
        }
        await page.fill(field, hostile[hostile.length - 1]);
    }
    assert.deepEqual(asked, [], 'no run started on a bad field');
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    for (const [, field] of fields.filter(([, f]) => f !== '#sim-seed')) {
        assert.equal(await page.inputValue(field), hostile[hostile.length - 1], `${field} kept across a reload`);
    }
    assert.deepEqual(page.errors, []);
    await context.close();
});

test('a grid of too many rules is refused before any work, in Japanese', async () => {
    const context = await guardedContext(shared.browser, shared.site.url, phone);
    const page = await openPage(context, shared.site.url, 'quit');
    await runTab(page, 'quit', {'#quit-big-last': '2000', '#quit-big-step': '1', '#quit-reg-last': '1000', '#quit-reg-step': '1'}, 20000);
    assert.match(await page.textContent('#quit-big-step-message'), /条件が2003001通り/);
    assert.equal(await page.$$eval('#tab-quit table', (t) => t.length), 0);
    await context.close();
});

test('full-width digits and blanks are read as the program reads them', async () => {
    const context = await guardedContext(shared.browser, shared.site.url, phone);
    const page = await openPage(context, shared.site.url, 'aim');
    await runTab(page, 'aim', {'#aim-games': '　１２００　', '#aim-big-end': '０', '#aim-reg-end': ' 0'});
    assert.equal(await page.$$eval('#tab-aim table.aim-table tbody tr', (r) => r.length), 7);
    assert.match(await page.textContent('#tab-aim table.aim-table tbody tr'), /^設定１/);
    assert.equal(await page.inputValue('#aim-games'), '　１２００　');
    await context.close();
});
