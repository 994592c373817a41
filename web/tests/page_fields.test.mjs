// Hostile input in every field of the カウンター, 設定判別 and the hall's rates: a value that will
// not do gets a message in Japanese beside its field and changes nothing; the field keeps the
// text as typed. Full-width digits read as the program reads them.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage} from './support/browser.mjs';
import {showTab, totals} from './support/counter.mjs';

const japanese = /[\u3040-\u30ff\u4e00-\u9fff]/;
const bad = ['', '99999999999999999999', '-5', 'BIG 123 REG 45', '12abc', '１２３４５６７８９０１２', '--3'];

// How each field is reached and read, and how to see that nothing changed.
const fields = [
    {id: 'counter-games', tab: 'counter', caption: 'ゲーム数', press: 'button.bonus.big'},
    {id: 'judge-trailing', tab: 'judge', caption: '今のゲーム数', press: '#tab-judge >> text=判別する'},
    {id: 'judge-big-end', tab: 'judge', caption: 'BIG後', press: '#tab-judge >> text=判別する'},
    {id: 'judge-reg-end', tab: 'judge', caption: 'REG後', press: '#tab-judge >> text=判別する'},
    {id: 'rate-lend', tab: 'rates', caption: '貸出'},
    {id: 'rate-exchange', tab: 'rates', caption: '交換'},
    {id: 'rate-speed', tab: 'rates', caption: '遊技速度'},
];

const shared = sharedBrowser();

async function reach(page, field) {
    if (field.tab === 'rates') {
        if (await page.isHidden('#rates-panel')) await page.click('#rates-open');
    } else {
        await showTab(page, field.tab);
    }
}

// Types the text as a paste would land, then reads it as the page does (a press or a change).
async function enter(page, field, text) {
    await page.evaluate((id) => {
        const m = document.getElementById(id + '-message');
        if (m) m.hidden = true;
    }, field.id);
    await page.fill(`#${field.id}`, text);
    if (field.press) await page.click(field.press);
    else await page.press(`#${field.id}`, 'Tab');
}

async function message(page, field) {
    await page.waitForFunction((id) => {
        const m = document.getElementById(id + '-message');
        return m && !m.hidden && m.textContent.length > 0;
    }, field.id, {timeout: 20000});
    return page.textContent(`#${field.id}-message`);
}

test('every field answers a bad value with a Japanese message and keeps its text', async (t) => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    // 設定判別 reads its fields only when there is a log to judge.
    await page.fill('#counter-games', '100');
    await page.click('button.bonus.reg');
    await page.waitForFunction(() => /REG 1回/.test(document.querySelector('#tab-counter .totals').textContent));
    const ratesBefore = await page.textContent('#rates-summary');
    for (const field of fields) {
        await t.test(field.id, async () => {
            await reach(page, field);
            for (const text of bad) {
                await enter(page, field, text);
                const said = await message(page, field);
                assert.match(said, japanese, `${field.id} "${text}": ${said}`);
                assert.ok(said.includes(field.caption), `${field.id} "${text}" names its field: ${said}`);
                assert.equal(await page.inputValue(`#${field.id}`), text, 'the text stays as typed');
            }
        });
    }
    assert.deepEqual(await totals(page), {big: 0, reg: 1}, 'no bonus was logged from a bad count');
    assert.equal(await page.textContent('#rates-summary'), ratesBefore, 'the rates stayed as they were');
    assert.deepEqual(context.foreign, []);
    await context.close();
});

test('full-width digits read as the program reads them', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    await page.fill('#counter-games', '１２３');
    await page.click('button.bonus.big');
    await page.waitForFunction(() => /BIG 1回/.test(document.querySelector('#tab-counter .totals').textContent));
    assert.equal(await page.textContent('#tab-counter .log li .g'), '123G');
    await page.click('#rates-open');
    await page.fill('#rate-lend', '４６');
    await page.press('#rate-lend', 'Tab');
    await page.fill('#rate-exchange', '５.６');
    await page.press('#rate-exchange', 'Tab');
    await page.waitForFunction(() => /貸出46枚・交換5.6枚/.test(document.getElementById('rates-summary').textContent));
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    assert.match(await page.textContent('#rates-summary'), /貸出46枚・交換5.6枚/, 'kept across a reload');
    await context.close();
});
