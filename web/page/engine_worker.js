// The engine's worker: loads the engine (korvale_engine.js beside it, unless the single-file
// build put the engine's text before this one) and answers {id, name, request} with
// {id, ok: true, report} or {id, ok: false, failure: {code, reason, message}}; read_number
// answers {id, ok: true, value}. While the work goes on it posts {id, progress, games}.
(function () {
    'use strict';
    if (typeof self.createKorvaleEngine !== 'function') {
        importScripts('korvale_engine.js');
    }
    const ready = self.createKorvaleEngine();
    // One request at a time: the engine works on this thread until it answers.
    let chain = Promise.resolve();

    function run(engine, message) {
        const id = message.id;
        const request = typeof message.request === 'string'
            ? message.request
            : JSON.stringify(message.request === undefined ? {} : message.request);
        const progress = (share, games) => {
            self.postMessage({id, progress: share, games: games === undefined ? null : games});
        };
        const answer = JSON.parse(engine.call(String(message.name), request, progress));
        if (answer.ok) {
            self.postMessage(Object.assign({id}, answer));
        } else {
            self.postMessage({id, ok: false, failure: {
                code: answer.code, reason: answer.reason, message: answer.message}});
        }
    }

    self.onmessage = (event) => {
        const message = event.data || {};
        chain = chain.then(() => ready).then((engine) => run(engine, message)).catch((error) => {
            self.postMessage({id: message.id, ok: false, failure: {
                code: 'EngineFailed', reason: 'engine', message: String(error)}});
        });
    };
})();
