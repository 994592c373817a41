// Numbers as the page writes them must read as the command line's tables write them: at most six
// significant digits, no e-notation, no trailing zeros, a tie rounded to even. Worked by hand.
import {test} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import vm from 'node:vm';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const pageDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../page');
const context = vm.createContext({});
context.self = context;
// In the page's order: the words, then the numbers that name a setting by them.
for (const file of ['words.js', 'format.js']) {
    vm.runInContext(fs.readFileSync(path.join(pageDir, file), 'utf8'), context);
}
const format = context.Korvale.format;

test('six significant digits as the tables print them', () => {
    const cases = [
        [21.435780224776396, '21.4358'], [129.39720675047104, '129.397'], [-2285.2345, '-2285.23'],
        [565, '565'], [1234567.8, '1234568'], [0.000123456789, '0.000123457'], [-0.0000001, '-0.0000001'],
        [0, '0'], [-0.0000000000000001, '0'], [1e-20, '0'], [100, '100'], [0.1, '0.1'], [99.99995, '99.9999'],
        [999999.5, '1000000'], [Infinity, '-'], [NaN, '-'], [null, '-'],
        // 0.125 and 2.5 are exact: a tie goes to the even digit; 12345.65 lies just below its tie.
        [0.125, '0.125'], [12345.65, '12345.6'], [1.0000005, '1'],
    ];
    for (const [value, text] of cases) assert.equal(format.significant(value), text, String(value));
    assert.equal(format.significant(0.125, 2), '0.12');
    assert.equal(format.significant(0.375, 2), '0.38');
    assert.equal(format.significant(-2.5, 1), '-2');
});

test('units as the tables write them', () => {
    assert.equal(format.share(0.07356857410009145), '7.35686%');
    assert.equal(format.yen(-2285.2345), '-2285.23円');
    assert.equal(format.hours(1.1361995), '1.1362時間');
    assert.equal(format.count(2.5), '2');
    assert.equal(format.count(3.5), '4');
    assert.equal(format.count(-7), '-7');
    assert.equal(format.games(145), '145G');
    assert.equal(format.setting(4), '設定４');
});
