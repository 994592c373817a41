// The hall's rates: coins lent for ¥1000, coins taken for ¥100 at the exchange, where the coins
// come from, and games played an hour. Kept in storage; a change (here or in another tab) is
// announced as the document's 'korvale-rates' event.
(function (K) {
    'use strict';
    const defaults = Object.freeze({lend: 50, exchange: 5, pay: 'coins', games_per_hour: 800});
    // The command line's ranges for the same options.
    const limits = Object.freeze({
        lend: {whole: true, min: 1, max: 1000},
        exchange: {whole: false, min: 0.1, max: 1000},
        games_per_hour: {whole: true, min: 1, max: 100000},
    });

    function valid(r) {
        const inRange = (name) => {
            const v = r[name];
            const l = limits[name];
            return typeof v === 'number' && Number.isFinite(v) && v >= l.min && v <= l.max &&
                   (!l.whole || Number.isInteger(v));
        };
        return r && inRange('lend') && inRange('exchange') && inRange('games_per_hour') &&
               (r.pay === 'coins' || r.pay === 'cash');
    }

    function load() {
        const kept = K.store.get('rates', null);
        const r = Object.assign({}, defaults, kept || {});
        return valid(r) ? r : Object.assign({}, defaults);
    }

    let current = load();
    const announce = () =>
        document.dispatchEvent(new CustomEvent('korvale-rates', {detail: Object.assign({}, current)}));

    K.rates = {
        defaults,
        limits,
        get: () => Object.assign({}, current),
        // Takes the given fields; false (and nothing changed) when the result is not a valid set.
        set(change) {
            const next = Object.assign({}, current, change);
            if (!valid(next)) return false;
            current = next;
            K.store.set('rates', current);
            announce();
            return true;
        },
        onChange(fn) {
            document.addEventListener('korvale-rates', (e) => fn(e.detail));
        },
    };
    K.store.onChange('rates', () => {
        current = load();
        announce();
    });
})(self.Korvale = self.Korvale || {});
