// The page's tests share one way to reach the page: Debian's chromium driven by playwright-core
// (no browser downloaded), the built site served on a free port (or the one run_tests.sh
// serves, KORVALE_URL), every request checked to stay on the page's own origin.
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {after, before} from 'node:test';
import {chromium} from 'playwright-core';
import {createServer} from '../../tools/serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
export const repoRoot = path.resolve(here, '../../..');
export const siteDir = path.join(repoRoot, 'build/web/site');
export const screenshotDir = path.join(repoRoot, 'build/web/screenshots');
export const batchPath = path.join(repoRoot, 'build/release/batch/korvale-batch');

export const chromiumArgs = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];

export function launch() {
    return chromium.launch({executablePath: process.env.KORVALE_CHROMIUM || '/usr/bin/chromium',
                            args: chromiumArgs, headless: true});
}

// The browser and the served site one test file shares: { browser, site }, filled in before its
// first test and closed after its last.
export function sharedBrowser() {
    const shared = {};
    before(async () => {
        shared.site = await serveSite();
        shared.browser = await launch();
    });
    after(async () => {
        await shared.browser?.close();
        await shared.site?.close();
    });
    return shared;
}

// {url, close()}: the site's address; a server of our own unless the run serves one.
export async function serveSite(root = siteDir) {
    if (process.env.KORVALE_URL) return {url: process.env.KORVALE_URL.replace(/\/?$/, '/'), close: async () => {}};
    if (!fs.existsSync(path.join(root, 'index.html'))) throw new Error(`no built site in ${root}`);
    const server = createServer(root);
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((resolve) => {
            server.closeAllConnections();
            server.close(resolve);
        }),
    };
}

// A context that notes every request which leaves the page's origin in `foreign`. Requests are
// watched, not routed: a routed context upsets the service worker's answers to the workers.
export async function guardedContext(browser, url, options = {}) {
    const context = await browser.newContext(options);
    const origin = new URL(url).origin;
    const foreign = [];
    context.on('request', (request) => {
        const target = request.url();
        if (!target.startsWith(origin) && !/^(blob|data):/.test(target)) foreign.push(target);
    });
    context.foreign = foreign;
    return context;
}

// Opens the page at `hash` and waits for the shell to have mounted its tabs.
export async function openPage(context, url, hash = '') {
    const page = await context.newPage();
    page.errors = [];
    page.on('pageerror', (e) => page.errors.push(String(e)));
    await page.goto(url + (hash ? '#' + hash : ''));
    await page.waitForSelector('html[data-ready="true"]');
    return page;
}

export async function screenshot(page, name) {
    fs.mkdirSync(screenshotDir, {recursive: true});
    await page.screenshot({path: path.join(screenshotDir, name + '.png'), fullPage: true});
}

export const phone = {viewport: {width: 390, height: 844}, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
export const desktop = {viewport: {width: 1280, height: 800}};
