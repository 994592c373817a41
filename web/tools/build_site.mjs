#!/usr/bin/env node
// Builds the page from web/page and the engine that cmake built:
//   build/web/site/       a static folder any web server can host (with its offline copy);
//   build/web/korvale.html one file with everything inline, that opens from disk.
// usage: node build_site.mjs [--engine korvale_engine.js] [--out build/web]
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const repo = path.resolve(here, '../..');
const pageDir = path.join(repo, 'web/page');

function options(argv) {
    const o = {engine: path.join(repo, 'build/web/web/korvale_engine.js'), out: path.join(repo, 'build/web')};
    for (let i = 0; i < argv.length; i += 2) {
        if (!['--engine', '--out'].includes(argv[i]) || argv[i + 1] === undefined) {
            throw new Error(`usage: build_site.mjs [--engine FILE] [--out DIR] (not ${argv[i]})`);
        }
        o[argv[i].slice(2)] = path.resolve(argv[i + 1]);
    }
    return o;
}

// Every file under dir, as paths relative to it with forward slashes, sorted.
function filesUnder(dir, prefix = '') {
    return fs.readdirSync(dir, {withFileTypes: true}).flatMap((entry) => {
        const relative = prefix + entry.name;
        return entry.isDirectory() ? filesUnder(path.join(dir, entry.name), relative + '/') : [relative];
    }).sort();
}

function buildSite(engine, site) {
    fs.rmSync(site, {recursive: true, force: true});
    fs.cpSync(pageDir, site, {recursive: true});
    fs.copyFileSync(engine, path.join(site, 'korvale_engine.js'));
    const files = filesUnder(site).filter((f) => f !== 'sw.js');
    const hash = crypto.createHash('sha256');
    for (const f of files) hash.update(f + '\0').update(fs.readFileSync(path.join(site, f)));
    const version = 'korvale-' + hash.digest('hex').slice(0, 16);
    const swPath = path.join(site, 'sw.js');
    const sw = fs.readFileSync(swPath, 'utf8')
                   .replace(/^const VERSION = .*;$/m, `const VERSION = ${JSON.stringify(version)};`)
                   .replace(/^const FILES = .*;$/m, `const FILES = ${JSON.stringify(['./', ...files])};`);
    if (!sw.includes(version)) throw new Error('sw.js: no VERSION line to fill in');
    fs.writeFileSync(swPath, sw);
    // The benchmark page (web/bench, driven by run_bench.mjs) beside the site, not in its offline copy.
    fs.cpSync(path.join(repo, 'web/bench'), path.join(site, 'bench'), {recursive: true});
    return {version, files};
}

// A script's text as it may stand inside <script>: its own end tag and comment opener escaped
// (the same text to JavaScript wherever they can occur: a string, a comment, a regex).
const inlineScript = (text) => text.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');

function plainScript(id, text) {
    if (/<\/script|<!--/i.test(text)) throw new Error(`${id}: the text cannot stand inside a script element`);
    return `<script type="text/plain" id="${id}">${text}</script>`;
}

function buildSingleFile(engine, out) {
    const read = (f) => fs.readFileSync(path.join(pageDir, f), 'utf8');
    let html = read('index.html');
    const svg = Buffer.from(read('icons/icon.svg')).toString('base64');
    html = html.replace(/<link rel="manifest"[^>]*>\n?/, '')
               .replace(/<link rel="apple-touch-icon"[^>]*>\n?/, '')
               .replace(/<link rel="icon"[^>]*>/, `<link rel="icon" href="data:image/svg+xml;base64,${svg}">`)
               .replace(/<link rel="stylesheet" href="([^"]+)">/g, (_, f) => `<style>\n${read(f)}</style>`);
    let first = true;
    html = html.replace(/<script src="([^"]+)"><\/script>/g, (_, f) => {
        const lead = first ? '<script>self.KORVALE_SINGLE_FILE = true;</script>\n' : '';
        first = false;
        return `${lead}<script>\n${inlineScript(read(f))}</script>`;
    });
    const sources = plainScript('korvale-engine-source', fs.readFileSync(engine, 'utf8')) + '\n' +
                    plainScript('korvale-worker-source', read('engine_worker.js')) + '\n';
    html = html.replace('</body>', () => sources + '</body>');
    if (/<script src=|<link rel="stylesheet"/.test(html)) throw new Error('korvale.html: a file left outside');
    const file = path.join(out, 'korvale.html');
    fs.writeFileSync(file, html);
    return file;
}

function main() {
    let o;
    try {
        o = options(process.argv.slice(2));
    } catch (e) {
        console.error(e.message);
        process.exit(2);
    }
    if (!fs.existsSync(o.engine)) {
        console.error(`build_site.mjs: no engine at ${o.engine} (build it with cmake first: web/README.md)`);
        process.exit(1);
    }
    const site = path.join(o.out, 'site');
    const {version, files} = buildSite(o.engine, site);
    const single = buildSingleFile(o.engine, o.out);
    console.log(`site: ${site} (${files.length + 1} files, cache ${version})`);
    console.log(`single file: ${single}`);
}

main();
