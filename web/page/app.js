// The page's shell: the tabs register here, are mounted once, and one is shown at a time (the
// last one shown comes back after a reload). The hall's rates open from every tab.
(function (K) {
    'use strict';
    const order = ['counter', 'judge', 'aim', 'quit', 'day', 'sim'];
    const registered = new Map();
    let current = null;

    function register(id, tab) {
        registered.set(id, tab);
    }

    function show(id) {
        if (!order.includes(id)) id = 'counter';
        current = id;
        for (const other of order) {
            const section = document.getElementById('tab-' + other);
            const button = document.querySelector(`[data-tab="${other}"]`);
            if (section) section.hidden = other !== id;
            if (button) {
                button.setAttribute('aria-selected', String(other === id));
                button.tabIndex = other === id ? 0 : -1;
            }
        }
        K.store.set('tab', id);
        const tab = registered.get(id);
        if (tab && tab.shown) tab.shown();
    }

    function mountAll() {
        for (const [id, tab] of registered) {
            const section = document.getElementById('tab-' + id);
            if (section && tab.mount) tab.mount(section);
        }
    }

    function bindTabBar() {
        const bar = document.getElementById('tab-bar');
        bar.addEventListener('click', (event) => {
            const button = event.target.closest('[data-tab]');
            if (button) show(button.dataset.tab);
        });
        bar.addEventListener('keydown', (event) => {
            const step = {ArrowRight: 1, ArrowLeft: -1}[event.key];
            if (!step) return;
            const next = order[(order.indexOf(current) + step + order.length) % order.length];
            show(next);
            document.querySelector(`[data-tab="${next}"]`).focus();
        });
    }

    // The offline copy: only over http(s) (a service worker needs a secure origin; the
    // single-file build opened from disk has none).
    function registerServiceWorker() {
        if (self.KORVALE_SINGLE_FILE || !('serviceWorker' in navigator)) return;
        if (!/^https?:$/.test(location.protocol) || !self.isSecureContext) return;
        navigator.serviceWorker.register('sw.js').catch(() => {
            /* the page works without its offline copy */
        });
    }

    function boot() {
        document.title = K.words.title;
        mountAll();
        bindTabBar();
        const asked = location.hash.replace(/^#/, '');
        show(order.includes(asked) ? asked : K.store.get('tab', 'counter'));
        registerServiceWorker();
        setTimeout(K.engine.warm, 0);
        document.documentElement.dataset.ready = 'true';
    }

    // A small element builder for the tabs: el('div', {className: 'x'}, child, 'text', ...).
    K.el = function (tag, props, ...children) {
        const node = document.createElement(tag);
        for (const [key, value] of Object.entries(props || {})) {
            if (key === 'dataset') Object.assign(node.dataset, value);
            else if (key in node) node[key] = value;
            else node.setAttribute(key, value);
        }
        for (const child of children.flat(Infinity)) {
            if (child !== null && child !== undefined && child !== false) node.append(child);
        }
        return node;
    };

    K.tabs = {register, show, current: () => current, order};
    document.addEventListener('DOMContentLoaded', boot);
})(self.Korvale = self.Korvale || {});
