// The offline copy: every file of the site is cached when the worker installs, under a name
// made from the files' hash when the site is built, and answered from the cache first. A new
// build means a new cache; the old ones go when the new worker takes over.
'use strict';
const VERSION = 'korvale-dev';
const FILES = ['./'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(VERSION).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
                        .then((names) => Promise.all(names.filter((n) => n !== VERSION).map((n) => caches.delete(n))))
                        .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
    event.respondWith((async () => {
        const cache = await caches.open(VERSION);
        const key = request.mode === 'navigate' ? './' : request;
        const kept = await cache.match(key, {ignoreSearch: true});
        return kept || fetch(request);
    })());
});
