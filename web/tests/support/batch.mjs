// The native program's answers, as its table prints them: the expectations of the page's tests
// come from here, never from the page's own engine.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {batchPath} from './browser.mjs';

// Runs `korvale-batch command FILE options...` with the history text in FILE; the table's text.
export function batchTable(command, history, options) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'korvale-page-'));
    const file = path.join(dir, 'history.txt');
    fs.writeFileSync(file, history);
    try {
        return execFileSync(batchPath, [command, file, ...options, '--threads', '1'],
                            {encoding: 'utf8', timeout: 120000});
    } finally {
        fs.rmSync(dir, {recursive: true, force: true});
    }
}

// The cells of every table row labelled `label` (the label, then cells apart by blanks).
export function tableRows(text, label) {
    return text.split('\n').filter((l) => l.startsWith(label + ' '))
        .map((l) => l.slice(label.length).trim().split(/\s+/));
}
