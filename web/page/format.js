// Numbers as the page shows them, written as the command line's tables write them (at most six
// significant digits, no e-notation, no trailing zeros), so the two read alike digit for digit.
(function (K) {
    'use strict';

    // The decimal text of x >= 0 to `decimals` places, a tie to even as the C++ side's formatter
    // rounds it (toFixed would round a tie up). toFixed is exact, so its long form shows a tie.
    function fixed(x, decimals) {
        const places = Math.min(100, decimals + 60);
        const exact = x.toFixed(places);
        const cut = exact.length - (places - decimals);
        if (/^50*$/.test(exact.slice(cut))) {
            const kept = exact.slice(0, cut).replace(/\.$/, '');
            if (Number(kept.slice(-1)) % 2 === 0) {
                return kept;
            }
        }
        return x.toFixed(decimals);
    }

    function significant(value, digits = 6) {
        if (value === null || value === undefined || !Number.isFinite(value)) {
            return '-';
        }
        if (value === 0) {
            return '0';
        }
        const magnitude = Math.abs(value);
        const before = Math.floor(Math.log10(magnitude)) + 1;
        const decimals = Math.min(15, Math.max(0, digits - before));
        let text = fixed(magnitude, decimals);
        if (text.includes('.')) {
            text = text.replace(/0+$/, '').replace(/\.$/, '');
        }
        if (/^0(\.0*)?$/.test(text)) {
            return '0';
        }
        return (value < 0 ? '-' : '') + text;
    }

    const orDash = (f) => (v) => (v === null || v === undefined || !Number.isFinite(v) ? '-' : f(v));
    K.format = {
        significant,
        number: orDash((v) => significant(v)),
        coins: orDash((v) => significant(v) + '枚'),
        count: orDash((v) => (v < 0 ? '-' : '') + fixed(Math.abs(v), 0)),
        yen: orDash((v) => significant(v) + '円'),
        share: orDash((v) => significant(v * 100) + '%'),
        percent: orDash((v) => significant(v) + '%'),
        games: orDash((v) => significant(v) + 'G'),
        hours: orDash((v) => significant(v) + '時間'),
        oneIn: orDash((v) => '1/' + significant(v)),
        // The setting's name is a word: words.js holds it.
        setting: (i) => K.words.settingName(i),
        // A whole number with digit grouping, for counts the player reads at a glance.
        grouped: orDash((v) => Math.round(v).toLocaleString('ja-JP')),
    };
})(self.Korvale = self.Korvale || {});
