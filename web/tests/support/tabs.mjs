// Driving the tabs 狙い目, ヤメ時, 一日の収支 and シミュレータ, and reading the native program's
// tables for the same inputs: the expectations come from korvale-batch, never from the page.
import {execFileSync} from 'node:child_process';
import {batchPath} from './browser.mjs';

// The table korvale-batch prints for these arguments.
export function nativeTable(args) {
    return execFileSync(batchPath, args, {encoding: 'utf8', timeout: 300000});
}

// The cells after `label` on the first line starting with it that follows a line starting with
// `heading` before a blank line; cells are separated by two or more blanks, or follow a closing
// %, 円 or 時間.
export function nativeRow(text, heading, label) {
    const lines = text.split('\n');
    for (let i = 0; i < lines.length; i++) {
        if (!lines[i].trim().startsWith(heading)) continue;
        for (let j = i + 1; j < lines.length && lines[j].trim() !== ''; j++) {
            const line = lines[j];
            if (line.startsWith(label + ' ') || line === label) {
                return line.slice(label.length).trim().split(/\s{2,}|(?<=%|円|時間)\s+/).filter(Boolean);
            }
        }
    }
    throw new Error(`no row ${label} after ${heading}`);
}

// Sets the hall's rates as the rates panel keeps them, before the page reads them.
export async function setRates(context, rates) {
    await context.addInitScript((r) => {
        localStorage.setItem('korvale.rates', JSON.stringify(r));
    }, rates);
}

// Fills the fields {selector: text}, presses the tab's submit button, and waits for the run
// to end (its status line no longer offers 停止) or for a field to refuse it.
export async function runTab(page, tab, fills, timeout = 240000) {
    for (const [selector, text] of Object.entries(fills)) {
        const tag = await page.$eval(selector, (e) => e.tagName);
        if (tag === 'SELECT') await page.selectOption(selector, text);
        else await page.fill(selector, text);
    }
    const section = `#tab-${tab}`;
    await page.$eval(`${section} .work-text`, (e) => (e.textContent = ''));
    await page.click(`${section} form button[type="submit"]`);
    // Started (or already done), or refused by a field's message.
    await page.waitForFunction((s) => {
        const started = !document.querySelector(s + ' .work-stop').hidden ||
                        document.querySelector(s + ' .work-text').textContent !== '';
        const refused = Array.from(document.querySelectorAll(s + ' .field-message')).some((m) => !m.hidden && m.textContent);
        return started || refused;
    }, section, {timeout: 20000});
    await page.waitForSelector(`${section} .work-stop[hidden]`, {state: 'attached', timeout});
    return page.textContent(`#tab-${tab} .work-text`);
}

// A shown table's rows as lists of cell texts (the row's name first), by the table's class.
export async function shownRows(page, selector) {
    return page.$$eval(`${selector} tbody tr`, (rows) =>
        rows.map((tr) => Array.from(tr.children).map((c) => c.textContent.trim())));
}

// The シミュレータ's boxes as {caption: text}; a mode's boxes carry its legend before the caption.
export async function shownTotals(page) {
    return page.$$eval('#tab-sim .total', (boxes) => Object.fromEntries(boxes.map((box, i) => {
        const mode = box.closest('fieldset.mode');
        const prefix = mode ? mode.querySelector('legend').textContent + ' ' : '';
        let caption = prefix + box.querySelector('.caption').textContent;
        if (caption === '1/') caption += boxes[i - 1].querySelector('.caption').textContent;
        return [caption, box.querySelector('output').textContent];
    })));
}
