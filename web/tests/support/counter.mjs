// Driving the カウンター as a player does: type the data counter's games, press BIG or REG.
export async function logBonus(page, kind, games) {
    const before = await totalEntries(page);
    await page.fill('#counter-games', String(games));
    await page.click(`button.bonus.${kind.toLowerCase()}`);
    await page.waitForFunction((n) => {
        const m = document.querySelector('#tab-counter .totals').textContent.match(/BIG (\d+)回・REG (\d+)回/);
        return m && Number(m[1]) + Number(m[2]) > n;
    }, before, {timeout: 20000});
}

// The BIGs and REGs the counter's totals line shows.
export async function totals(page) {
    const text = await page.textContent('#tab-counter .totals');
    const m = text.match(/BIG (\d+)回・REG (\d+)回/);
    return {big: Number(m[1]), reg: Number(m[2])};
}

export async function totalEntries(page) {
    const t = await totals(page);
    return t.big + t.reg;
}

// The log as shown, oldest first: [[kind, games], ...].
export async function shownLog(page) {
    const rows = await page.$$eval('#tab-counter .log li:not(.more)', (items) =>
        items.map((li) => [li.querySelector('.kind').textContent, li.querySelector('.g').textContent]));
    return rows.reverse().map(([kind, g]) => [kind, Number(g.replace('G', ''))]);
}

export async function showTab(page, id) {
    await page.click(`[data-tab="${id}"]`);
    await page.waitForSelector(`#tab-${id}:not([hidden])`);
}
