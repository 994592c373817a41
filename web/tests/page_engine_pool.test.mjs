// The page's pool of engine workers: a request cancelled while its worker still loads the engine
// (from the offline copy, where an ended worker's load reports a failure late) leaves the pool
// answering; more requests than workers all get their answers.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import {sharedBrowser, guardedContext, openPage} from './support/browser.mjs';

const shared = sharedBrowser();

test('cancelled requests, then more requests than workers', async () => {
    const context = await guardedContext(shared.browser, shared.site.url);
    const page = await openPage(context, shared.site.url, 'counter');
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    const outcome = await page.evaluate(async () => {
        const engine = Korvale.engine;
        const ask = (trailing) => engine.request('infer', {history: 'BIG 120\nREG 300\n', trailing});
        const cancelled = [];
        // Cancelled at once and at points through the engine's load.
        for (const wait of [0, 50, 150, 400]) {
            const p = ask(wait);
            await new Promise((resolve) => setTimeout(resolve, wait));
            engine.cancel(p);
            cancelled.push(await p.then(() => 'answered', (f) => f.code));
        }
        const many = await Promise.all(Array.from({length: engine.workerCount + 2}, (_, i) =>
            ask(10 * i).then((r) => r.run.trailing_games, (f) => `${f.code} ${f.message}`)));
        return {cancelled, many, workers: engine.workerCount};
    });
    assert.deepEqual(outcome.cancelled, ['Cancelled', 'Cancelled', 'Cancelled', 'Cancelled']);
    assert.ok(outcome.workers >= 1 && outcome.workers <= 4);
    assert.deepEqual(outcome.many, Array.from({length: outcome.workers + 2}, (_, i) => 10 * i));
    await context.close();
});
