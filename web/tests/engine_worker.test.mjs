// The page's worker script around the engine: it loads the engine as a classic worker does
// (importScripts, unless the single-file build put it first), answers each request by its id,
// one at a time in the order sent, and posts the progress of long work in between.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import vm from 'node:vm';
import { repoRoot } from './engine_load.mjs';

const require = createRequire(import.meta.url);
const engineFile = process.env.KORVALE_ENGINE ?? path.join(repoRoot, 'build/web/web/korvale_engine.js');
const workerText = readFileSync(path.join(repoRoot, 'web/page/engine_worker.js'), 'utf8');

// The worker in a context of its own, as a browser starts it; `preloaded`: the engine's text
// came first. Returns the messages it posts and a way to send it one.
function startWorker(preloaded) {
    const posted = [];
    const imported = [];
    const self = {postMessage: (message) => posted.push(structuredClone(message))};
    if (preloaded) {
        self.createKorvaleEngine = require(engineFile);
    }
    const context = vm.createContext({
        self,
        importScripts: (name) => {
            imported.push(name);
            self.createKorvaleEngine = require(engineFile);
        },
    });
    vm.runInContext(workerText, context);
    return {posted, imported, send: (message) => self.onmessage({data: message})};
}

async function answersFor(worker, count) {
    for (let waited = 0; worker.posted.filter((m) => 'ok' in m).length < count; waited += 20) {
        assert.ok(waited < 120000, 'the worker did not answer');
        await new Promise((resolve) => setTimeout(resolve, 20));
    }
    return worker.posted.filter((m) => 'ok' in m);
}

test('the worker loads the engine and answers requests in order, by id', async () => {
    for (const preloaded of [false, true]) {
        const worker = startWorker(preloaded);
        assert.deepEqual(worker.imported, preloaded ? [] : ['korvale_engine.js']);
        worker.send({id: 7, name: 'simulate',
                     request: {kind: 'normal', games: 60000000, seed: 1}});
        worker.send({id: 8, name: 'read_number', request: {text: '１２'}});
        worker.send({id: 9, name: 'hunt', request: '{"setting": 9}'});
        worker.send({id: 10, name: 'figure_keys'});
        const answers = await answersFor(worker, 4);
        assert.deepEqual(answers.map((a) => [a.id, a.ok]),
                         [[7, true], [8, true], [9, false], [10, true]]);
        assert.equal(answers[0].report.share.games, 60000000);
        assert.equal(answers[1].value, 12);
        assert.deepEqual([answers[2].failure.code, answers[2].failure.reason],
                         ['InvalidInput', 'BadRequest']);
        assert.ok(Array.isArray(answers[3].report));
        const progress = worker.posted.filter((m) => !('ok' in m));
        assert.ok(progress.length >= 1, 'no progress told');
        for (const message of progress) {
            assert.equal(message.id, 7);
            assert.ok(message.progress >= 0 && message.progress <= 1);
            assert.ok(message.games >= 0 && message.games <= 60000000);
        }
    }
});
