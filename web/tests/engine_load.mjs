// Loads the engine built for the page (build/web, or KORVALE_ENGINE) in Node.
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const repoRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');

export async function loadEngine() {
    const file = process.env.KORVALE_ENGINE ?? path.join(repoRoot, 'build/web/web/korvale_engine.js');
    const require = createRequire(import.meta.url);
    return require(file)();
}
