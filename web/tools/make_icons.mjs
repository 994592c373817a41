#!/usr/bin/env node
// Draws the app icons (icons/icon-192.png, icon-512.png) from icons/icon.svg with the system's
// chromium. Run by hand after changing the SVG; the PNGs are kept in the repository, so that
// building the site needs no browser.
import path from 'node:path';
import fs from 'node:fs';
import {fileURLToPath} from 'node:url';
import {launch} from '../tests/support/browser.mjs';

const icons = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../page/icons');
const svg = fs.readFileSync(path.join(icons, 'icon.svg'), 'utf8');
const browser = await launch();
try {
    for (const size of [192, 512]) {
        const page = await browser.newPage({viewport: {width: size, height: size}});
        await page.setContent(`<html><body style="margin:0">${svg.replace('<svg ', `<svg width="${size}" height="${size}" `)}</body></html>`);
        await page.screenshot({path: path.join(icons, `icon-${size}.png`), omitBackground: true});
        await page.close();
    }
} finally {
    await browser.close();
}
