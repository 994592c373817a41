// The engine on the page: a pool of workers, one a core (at most four), each with its own
// module. A request goes to an idle worker or waits for one; a cancelled request's worker is
// ended and a fresh one takes its place. A separate quick worker answers number readings and
// frontiers, so that a field is read (and a frontier drawn) at once even while every worker is
// busy with long work.
(function (K) {
    'use strict';
    const cores = (self.navigator && navigator.hardwareConcurrency) || 1;
    const workerCount = Math.min(4, Math.max(1, cores));
    const quickNames = new Set(['read_number', 'frontier']);

    // The single-file build carries the engine and the worker as texts; a Blob of both makes the
    // worker there (a page opened from disk may start no worker from a file).
    let blobUrl = null;
    function workerUrl() {
        const engine = document.getElementById('korvale-engine-source');
        const worker = document.getElementById('korvale-worker-source');
        if (!engine || !worker) return 'engine_worker.js';
        if (!blobUrl) {
            const text = engine.textContent + '\n;\n' + worker.textContent;
            blobUrl = URL.createObjectURL(new Blob([text], {type: 'text/javascript'}));
        }
        return blobUrl;
    }

    let nextId = 1;
    const queue = [];
    const jobs = new Map(); // promise -> job
    const slots = [];
    let quickSlot = null;

    function failure(code, reason, message) {
        return {code, reason, message};
    }

    function makeSlot(quick) {
        const slot = {quick, worker: null, job: null};
        start(slot);
        return slot;
    }

    function start(slot) {
        let worker;
        try {
            worker = new Worker(workerUrl());
        } catch (e) {
            slot.worker = null;
            return;
        }
        slot.worker = worker;
        // A worker ended by a cancel may still report (its engine's load cut short): only the
        // slot's present worker speaks for it.
        worker.onmessage = (event) => {
            if (slot.worker === worker) answer(slot, event.data);
        };
        // A worker that fails to load or dies is dropped, its request failed; the next request
        // starts another.
        worker.onerror = (event) => {
            event.preventDefault();
            if (slot.worker !== worker) return;
            const job = slot.job;
            worker.terminate();
            slot.worker = null;
            slot.job = null;
            if (job) finish(job, failure('EngineFailed', 'worker', String(event.message || 'worker failed')));
            pump();
        };
    }

    function restart(slot) {
        if (slot.worker) slot.worker.terminate();
        slot.job = null;
        start(slot);
        pump();
    }

    function answer(slot, data) {
        const job = slot.job;
        if (!job || !data || data.id !== job.id) return;
        if ('progress' in data && !('ok' in data)) {
            if (job.onProgress) job.onProgress({progress: data.progress, games: data.games});
            return;
        }
        slot.job = null;
        if (data.ok) {
            finish(job, null, 'report' in data ? data.report : data);
        } else {
            const f = data.failure || data;
            finish(job, failure(f.code, f.reason, f.message));
        }
        pump();
    }

    function finish(job, fail, report) {
        jobs.delete(job.promise);
        if (fail) job.reject(fail);
        else job.resolve(report);
    }

    function idleSlot(quick) {
        if (quick) {
            if (!quickSlot) quickSlot = makeSlot(true);
            return quickSlot.job ? null : quickSlot;
        }
        const idle = slots.find((s) => !s.job);
        if (idle) return idle;
        if (slots.length < workerCount) {
            const slot = makeSlot(false);
            slots.push(slot);
            return slot;
        }
        return null;
    }

    function pump() {
        for (let i = 0; i < queue.length;) {
            const job = queue[i];
            const slot = idleSlot(job.quick);
            if (!slot) {
                i++;
                continue;
            }
            queue.splice(i, 1);
            if (!slot.worker) start(slot);
            if (!slot.worker) {
                finish(job, failure('EngineFailed', 'worker', 'no worker'));
                continue;
            }
            slot.job = job;
            slot.worker.postMessage({id: job.id, name: job.name, request: job.request});
        }
    }

    // → Promise of the report; rejects with {code, reason, message}.
    function request(name, req, options) {
        const job = {id: nextId++, name, request: req, quick: quickNames.has(name),
                     onProgress: options && options.onProgress};
        job.promise = new Promise((resolve, reject) => {
            job.resolve = resolve;
            job.reject = reject;
        });
        jobs.set(job.promise, job);
        queue.push(job);
        pump();
        return job.promise;
    }

    // Stops the request: a waiting one leaves the queue, a running one's worker is ended.
    function cancel(promise) {
        const job = jobs.get(promise);
        if (!job) return;
        const waiting = queue.indexOf(job);
        if (waiting >= 0) queue.splice(waiting, 1);
        const slot = slots.concat(quickSlot ? [quickSlot] : []).find((s) => s.job === job);
        finish(job, failure('Cancelled', 'cancelled', 'cancelled'));
        if (slot) restart(slot);
    }

    // Starts the quick worker ahead of the first field read, so that the first press of BIG
    // does not wait for the engine to load.
    function warm() {
        if (!quickSlot) quickSlot = makeSlot(true);
    }

    K.engine = {request, cancel, warm, workerCount};
})(self.Korvale = self.Korvale || {});
