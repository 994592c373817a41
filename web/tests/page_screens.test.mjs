// Screenshots of the カウンター, 設定判別 and the hall's rates at a phone's size and a desktop's,
// saved for looking at (build/web/screenshots/); the page must fit the phone's width.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage, screenshot, screenshotDir, phone, desktop} from './support/browser.mjs';
import {logBonus, showTab} from './support/counter.mjs';

const shared = sharedBrowser();

for (const [size, options] of [['390x844', phone], ['1280x800', desktop]]) {
    test(`screens at ${size}`, async () => {
        const context = await guardedContext(shared.browser, shared.site.url, options);
        const page = await openPage(context, shared.site.url, 'counter');
        for (const [kind, games] of [['BIG', 212], ['REG', 87], ['BIG', 33], ['REG', 301], ['BIG', 590]]) {
            await logBonus(page, kind, games);
        }
        await page.fill('#counter-games', '145');
        await screenshot(page, `counter-${size}`);
        await showTab(page, 'judge');
        await page.click('#tab-judge >> text=判別する');
        await page.waitForSelector('#tab-judge[data-state="done"] [data-key="posterior-1"]', {timeout: 60000});
        await screenshot(page, `judge-${size}`);
        await page.click('#rates-open');
        await page.fill('#rate-exchange', '５．６ｘ');
        await page.press('#rate-exchange', 'Tab');
        await page.waitForSelector('#rate-exchange-message:not([hidden])');
        await page.screenshot({path: `${screenshotDir}/rates-${size}.png`});
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `the page is ${overflow}px wider than the screen`);
        assert.deepEqual(page.errors, []);
        assert.deepEqual(context.foreign, []);
        await context.close();
    });
}
