// Small helpers over localStorage: JSON values under one key prefix, and a change from another
// tab handed to whoever listens for that key. A browser that refuses storage (private mode, a
// full quota) leaves the page working for as long as it is open.
(function (K) {
    'use strict';
    const prefix = 'korvale.';
    const listeners = new Map();

    function storage() {
        try {
            return self.localStorage || null;
        } catch (e) {
            return null;
        }
    }

    const store = {
        prefix,
        get(name, fallback) {
            const s = storage();
            try {
                const text = s && s.getItem(prefix + name);
                return text === null || text === undefined || text === '' ? fallback : JSON.parse(text);
            } catch (e) {
                return fallback;
            }
        },
        // True when the value was kept.
        set(name, value) {
            const s = storage();
            try {
                if (s) {
                    s.setItem(prefix + name, JSON.stringify(value));
                    return true;
                }
            } catch (e) {
                /* quota or refusal: the caller says so */
            }
            return false;
        },
        remove(name) {
            const s = storage();
            try {
                if (s) s.removeItem(prefix + name);
            } catch (e) {
                /* nothing kept, nothing to remove */
            }
        },
        // fn(newValue) when another tab writes `name`.
        onChange(name, fn) {
            if (!listeners.has(name)) listeners.set(name, []);
            listeners.get(name).push(fn);
        },
    };

    if (self.addEventListener && typeof window !== 'undefined') {
        window.addEventListener('storage', (event) => {
            if (!event.key || !event.key.startsWith(prefix)) return;
            const fns = listeners.get(event.key.slice(prefix.length)) || [];
            let value = null;
            try {
                value = event.newValue === null ? null : JSON.parse(event.newValue);
            } catch (e) {
                return;
            }
            fns.forEach((fn) => fn(value));
        });
    }
    K.store = store;
})(self.Korvale = self.Korvale || {});
