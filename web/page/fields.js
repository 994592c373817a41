// Reading a field: the engine reads the text as the program reads numbers (full-width digits,
// blanks, signs), and a value that will not do gets a message beside the field. The field keeps
// its text whatever happens, so nothing typed is lost.
(function (K) {
    'use strict';

    function labelOf(input, options) {
        if (options && options.label) return options.label;
        const label = input.closest('label');
        const caption = label && label.querySelector('.caption');
        return caption ? caption.textContent.trim() : input.name || K.words.field.unnamed;
    }

    function messageFor(input) {
        const id = (input.id || input.name) + '-message';
        let message = document.getElementById(id);
        if (!message) {
            message = document.createElement('span');
            message.id = id;
            message.className = 'field-message';
            message.setAttribute('role', 'alert');
            const holder = input.closest('.field') || input.parentNode;
            holder.appendChild(message);
            input.setAttribute('aria-describedby', id);
        }
        return message;
    }

    function show(input, text) {
        const message = messageFor(input);
        message.textContent = text || '';
        message.hidden = !text;
        input.classList.toggle('invalid', Boolean(text));
        input.setAttribute('aria-invalid', text ? 'true' : 'false');
    }

    // The Japanese words for a failed reading, by the engine's reason.
    function failureText(failure, label, options) {
        const w = K.words.field;
        const reason = String((failure && failure.reason) || '').toLowerCase();
        if (failure && (failure.code === 'EngineFailed' || failure.code === 'Cancelled')) {
            return K.words.failureText(failure);
        }
        if (/empty|blank|missing/.test(reason)) return w.empty(label);
        if (/below|small|min|negative/.test(reason)) return w.below(label, options.min);
        if (/above|large|max|huge|overflow/.test(reason)) return w.above(label, options.max);
        if (/whole|integer|fraction/.test(reason)) return w.notWhole(label);
        if (failure && failure.code === 'OutOfRange') {
            return options.min !== undefined && options.max !== undefined ? w.between(label, options.min, options.max)
                                                                          : w.notNumber(label);
        }
        return w.notNumber(label);
    }

    // → Promise of the number, or of null after showing why it will not do.
    async function read(input, options) {
        const o = options || {};
        const label = labelOf(input, o);
        const text = input.value;
        if (text.trim() === '') {
            show(input, K.words.field.empty(label));
            return null;
        }
        const req = {text};
        if (o.whole) req.whole = true;
        if (o.min !== undefined) req.min = o.min;
        if (o.max !== undefined) req.max = o.max;
        try {
            const answer = await K.engine.request('read_number', req);
            const value = answer && typeof answer === 'object' ? answer.value : answer;
            if (typeof value !== 'number' || !Number.isFinite(value)) {
                show(input, K.words.field.notNumber(label));
                return null;
            }
            show(input, '');
            return value;
        } catch (failure) {
            show(input, failureText(failure, label, o));
            return null;
        }
    }

    // A labelled text field as every tab lays it out: <label class="field"> with its caption,
    // the input and room for its message. Text, not type=number: a pasted or full-width value
    // stays as typed and the engine reads it.
    function make(id, caption, value, options) {
        const o = options || {};
        const label = document.createElement('label');
        label.className = 'field';
        const span = document.createElement('span');
        span.className = 'caption';
        span.textContent = caption;
        const input = document.createElement('input');
        input.id = id;
        input.name = id;
        input.type = 'text';
        input.inputMode = o.decimal ? 'decimal' : 'numeric';
        input.autocomplete = 'off';
        input.value = value === undefined || value === null ? '' : String(value);
        if (o.placeholder) input.placeholder = o.placeholder;
        label.append(span, input);
        return {label, input};
    }

    K.fields = {read, show, make, clear: (input) => show(input, '')};
})(self.Korvale = self.Korvale || {});
