// Small helpers shared by the picture and artwork generators: placing emoji
// artwork from the npm package inside our own SVG documents, and a seeded
// random source so every run produces the same files.
'use strict';

const fs = require('fs');
const path = require('path');

const EMOJI_DIR = path.join(__dirname, '..', 'node_modules', '@twemoji', 'svg');

let instance = 0;
const cache = new Map();

function emojiSource(code) {
  if (!cache.has(code)) {
    const file = path.join(EMOJI_DIR, `${code}.svg`);
    if (!fs.existsSync(file)) {
      throw new Error(`emoji artwork ${code} not found (run "npm ci" in tools/)`);
    }
    const text = fs.readFileSync(file, 'utf8');
    const m = text.match(/<svg[^>]*viewBox="([^"]+)"[^>]*>([\s\S]*)<\/svg>\s*$/);
    if (!m) throw new Error(`unexpected SVG layout in ${file}`);
    cache.set(code, { viewBox: m[1], body: m[2] });
  }
  return cache.get(code);
}

// The artwork is inlined, so ids must stay unique within one document.
function uniqueIds(body) {
  instance += 1;
  const p = `e${instance}_`;
  return body
    .replace(/id="([^"]+)"/g, `id="${p}$1"`)
    .replace(/url\(#([^)]+)\)/g, `url(#${p}$1)`)
    .replace(/href="#([^"]+)"/g, `href="#${p}$1"`);
}

// Gives the artwork other colours: every fill of a colour named in `colours`
// (upper-case "#RRGGBB" as the artwork writes it) takes the colour it maps
// to. With `outline`, the recoloured shapes get a thin line of that colour,
// so that a light animal still stands out from a light background.
function recolour(body, colours, outline) {
  return body.replace(/fill="(#[0-9A-Fa-f]{3,6})"/g, (whole, colour) => {
    const to = colours[colour.toUpperCase()];
    if (!to) return whole;
    const line = outline ? ` stroke="${outline}" stroke-width="0.45" stroke-linejoin="round"` : '';
    return `fill="${to}"${line}`;
  });
}

// Place emoji `code` centred on (cx, cy), `size` pixels square.
// opts: flip (mirror left-right), rotate (degrees), opacity, recolour (a map
// of colours, see recolour) with outline.
function emoji(code, cx, cy, size, opts = {}) {
  const src = emojiSource(code);
  const x = cx - size / 2;
  const y = cy - size / 2;
  let body = uniqueIds(src.body);
  if (opts.recolour) body = recolour(body, opts.recolour, opts.outline);
  let inner = `<svg x="${x}" y="${y}" width="${size}" height="${size}" viewBox="${src.viewBox}">${body}</svg>`;
  const t = [];
  if (opts.rotate) t.push(`rotate(${opts.rotate} ${cx} ${cy})`);
  if (opts.flip) t.push(`translate(${2 * cx} 0) scale(-1 1)`);
  const attrs = [];
  if (t.length) attrs.push(`transform="${t.join(' ')}"`);
  if (opts.opacity !== undefined) attrs.push(`opacity="${opts.opacity}"`);
  if (attrs.length) inner = `<g ${attrs.join(' ')}>${inner}</g>`;
  return inner;
}

// Mulberry32: small, fast, deterministic.
function rng(seed) {
  let a = seed >>> 0;
  return function next() {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

function doc(width, height, body, defs = '') {
  return `<?xml version="1.0" encoding="UTF-8"?>\n` +
    `<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" ` +
    `width="${width}" height="${height}" viewBox="0 0 ${width} ${height}">\n` +
    (defs ? `<defs>${defs}</defs>\n` : '') + body + `\n</svg>\n`;
}

module.exports = { emoji, rng, doc, EMOJI_DIR };
