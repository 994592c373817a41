#!/usr/bin/env node
// A static server in plain Node for the built site: `node serve.mjs [--root DIR] [--port N]
// [--lan]`. Binds to localhost unless --lan (then to every address, listing the LAN ones).
// Prints the address; port 0 takes a free one. Ends on SIGINT/SIGTERM.
import http from 'node:http';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.json': 'application/json; charset=utf-8',
    '.webmanifest': 'application/manifest+json; charset=utf-8',
    '.svg': 'image/svg+xml',
    '.png': 'image/png',
    '.wasm': 'application/wasm',
    '.txt': 'text/plain; charset=utf-8',
};

// The file under root that a request's path names, or null for anything outside it.
export function fileFor(root, urlPath) {
    let decoded;
    try {
        decoded = decodeURIComponent(urlPath.split('?')[0].split('#')[0]);
    } catch {
        return null;
    }
    if (decoded.includes('\0')) return null;
    const resolved = path.resolve(root, '.' + path.posix.normalize('/' + decoded));
    if (resolved !== root && !resolved.startsWith(root + path.sep)) return null;
    return resolved.endsWith(path.sep) || decoded.endsWith('/') ? path.join(resolved, 'index.html') : resolved;
}

export function createServer(rootDir) {
    const root = path.resolve(rootDir);
    return http.createServer((req, res) => {
        if (req.method !== 'GET' && req.method !== 'HEAD') {
            res.writeHead(405, {Allow: 'GET, HEAD'}).end();
            return;
        }
        let file = fileFor(root, req.url || '/');
        if (file && fs.existsSync(file) && fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
        if (!file || !fs.existsSync(file)) {
            res.writeHead(404, {'Content-Type': 'text/plain; charset=utf-8'}).end('not found\n');
            return;
        }
        const headers = {
            'Content-Type': types[path.extname(file)] || 'application/octet-stream',
            // The service worker keeps the offline copy; the server's copy is always asked again.
            'Cache-Control': 'no-cache',
            'X-Content-Type-Options': 'nosniff',
        };
        res.writeHead(200, headers);
        if (req.method === 'HEAD') res.end();
        else fs.createReadStream(file).pipe(res);
    });
}

function lanAddresses() {
    return Object.values(os.networkInterfaces()).flat()
        .filter((a) => a && a.family === 'IPv4' && !a.internal).map((a) => a.address);
}

function parse(argv) {
    const here = path.dirname(fileURLToPath(import.meta.url));
    const options = {root: path.resolve(here, '../../build/web/site'), port: 8041, lan: false};
    for (let i = 0; i < argv.length; i++) {
        const arg = argv[i];
        if (arg === '--lan') options.lan = true;
        else if (arg === '--port' || arg === '--root') {
            const value = argv[++i];
            if (value === undefined) throw new Error(`${arg} needs a value`);
            options[arg.slice(2)] = arg === '--port' ? Number(value) : path.resolve(value);
        } else if (arg === '--help' || arg === '-h') {
            options.help = true;
        } else throw new Error(`unknown option ${arg}`);
    }
    if (!Number.isInteger(options.port) || options.port < 0 || options.port > 65535) {
        throw new Error('--port takes a whole number 0 to 65535');
    }
    return options;
}

function main() {
    let options;
    try {
        options = parse(process.argv.slice(2));
    } catch (e) {
        console.error(`serve.mjs: ${e.message}`);
        process.exit(2);
    }
    if (options.help) {
        console.log('usage: node serve.mjs [--root DIR] [--port N] [--lan]');
        return;
    }
    if (!fs.existsSync(path.join(options.root, 'index.html'))) {
        console.error(`serve.mjs: no index.html in ${options.root} (build the site first)`);
        process.exit(1);
    }
    const server = createServer(options.root);
    server.on('error', (e) => {
        console.error(`serve.mjs: ${e.message}`);
        process.exit(1);
    });
    server.listen(options.port, options.lan ? '0.0.0.0' : '127.0.0.1', () => {
        const port = server.address().port;
        console.log(`Korvale: http://localhost:${port}/`);
        if (options.lan) {
            for (const a of lanAddresses()) console.log(`  on the local network: http://${a}:${port}/`);
            console.log('  (a phone over plain http gets the page without its offline copy)');
        }
    });
    const stop = () => {
        server.close(() => process.exit(0));
        server.closeAllConnections();
    };
    process.on('SIGINT', stop);
    process.on('SIGTERM', stop);
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) main();
