// The hall's rates panel, opened from the header on every tab: 貸出, 交換, 現金/貯メダル and the
// games an hour. A field is kept as soon as it reads well; one that does not keeps its text and
// says why, and the rates in use stay as they were.
(function (K) {
    'use strict';
    const w = K.words.rates;
    const el = (...a) => K.el(...a);

    function summary() {
        // Each part unbroken, so that a narrow header wraps between them.
        const parts = w.summary(K.rates.get()).map((part) => el('span', {className: 'part'}, part));
        document.getElementById('rates-summary').replaceChildren(...parts.flatMap((p, i) => (i ? ['・', p] : [p])));
    }

    function mount(panel) {
        const r = K.rates.get();
        const lend = K.fields.make('rate-lend', w.lend, r.lend);
        const exchange = K.fields.make('rate-exchange', w.exchange, r.exchange, {decimal: true});
        const speed = K.fields.make('rate-speed', w.gamesPerHour, r.games_per_hour);
        const payChoice = (value, text) =>
            el('label', {className: 'choice'},
               el('input', {type: 'radio', name: 'rate-pay', value, checked: r.pay === value}), text);
        const pay = el('fieldset', {className: 'field pay'}, el('legend', {}, w.pay),
                       payChoice('coins', w.coins), payChoice('cash', w.cash));
        const close = el('button', {type: 'button', className: 'secondary', textContent: w.close});
        panel.append(el('h2', {}, w.title), el('div', {className: 'grid'}, lend.label, exchange.label,
                                                 speed.label, pay),
                     el('div', {className: 'actions'}, close));

        const keep = (field, name) =>
            field.input.addEventListener('change', async () => {
                const l = K.rates.limits[name];
                const value = await K.fields.read(field.input, {whole: l.whole, min: l.min, max: l.max});
                if (value !== null) K.rates.set({[name]: value});
            });
        keep(lend, 'lend');
        keep(exchange, 'exchange');
        keep(speed, 'games_per_hour');
        pay.addEventListener('change', (e) => K.rates.set({pay: e.target.value}));

        const opener = document.getElementById('rates-open');
        const toggle = (open) => {
            panel.style.top = `${document.querySelector('header.top').getBoundingClientRect().bottom + 6}px`;
            panel.hidden = !open;
            opener.setAttribute('aria-expanded', String(open));
        };
        opener.addEventListener('click', () => toggle(panel.hidden));
        close.addEventListener('click', () => toggle(false));
        K.rates.onChange((now) => {
            summary();
            // Another tab's change shows here unless this field holds an unread edit.
            for (const [field, name] of [[lend, 'lend'], [exchange, 'exchange'], [speed, 'games_per_hour']]) {
                if (document.activeElement !== field.input && !field.input.classList.contains('invalid')) {
                    field.input.value = String(now[name]);
                }
            }
            pay.querySelector(`input[value="${now.pay}"]`).checked = true;
        });
        summary();
    }

    document.addEventListener('DOMContentLoaded', () => mount(document.getElementById('rates-panel')));
})(self.Korvale = self.Korvale || {});
