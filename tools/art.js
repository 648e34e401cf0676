#!/usr/bin/env node
// Writes the SVG sources of the window art into the folder given as the
// first argument: the three picture buttons, the six banner frames, the
// two pictures of the explanation window, the program icon and the hand
// pointer. render-art turns them into the PNG files of data/art/.
'use strict';

const fs = require('fs');
const path = require('path');
const { emoji: E, doc } = require('./lib/svg');

const FONT = "'Noto Sans CJK SC', 'Noto Sans CJK', sans-serif";

// A glossy rounded button of w x h with a caption and an optional icon
// (SVG drawn in a 24 x 24 box centred on (ix, iy)).
function button(w, h, colors, caption, icon, fontSize) {
  const [light, dark, edge] = colors;
  const defs =
    `<linearGradient id="face" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="${light}"/><stop offset="1" stop-color="${dark}"/></linearGradient>` +
    `<linearGradient id="gloss" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#ffffff" stop-opacity="0.75"/><stop offset="1" stop-color="#ffffff" stop-opacity="0.05"/></linearGradient>`;
  const r = Math.round(h * 0.42);
  let s = '';
  // soft shadow below, face, border, gloss on the upper half
  s += `<rect x="2.5" y="4" width="${w - 5}" height="${h - 5.5}" rx="${r}" fill="#b8505a" opacity="0.35"/>`;
  s += `<rect x="1.5" y="1.5" width="${w - 3}" height="${h - 5}" rx="${r}" fill="url(#face)" stroke="${edge}" stroke-width="1.6"/>`;
  s += `<rect x="6" y="3.5" width="${w - 12}" height="${(h - 5) * 0.42}" rx="${r * 0.7}" fill="url(#gloss)"/>`;
  const cy = (h - 3) / 2 + 0.5;
  let tx = w / 2;
  if (icon) {
    s += icon(18, cy);
    tx = (w + 30) / 2;
  }
  s += `<text x="${tx}" y="${cy}" dy="0.36em" text-anchor="middle" font-family="${FONT}" font-weight="bold" ` +
    `font-size="${fontSize}" fill="#ffffff" stroke="${edge}" stroke-width="3" stroke-linejoin="round" paint-order="stroke">${caption}</text>`;
  return doc(w, h, s, defs);
}

// Round white badge with a glyph inside, for the picture buttons.
function badge(glyph, color) {
  return (cx, cy) => {
    let g = `<circle cx="${cx}" cy="${cy}" r="11.5" fill="#ffffff"/>`;
    if (glyph === 'play') g += `<path d="M${cx - 3.5} ${cy - 6} L${cx + 6} ${cy} L${cx - 3.5} ${cy + 6} Z" fill="${color}"/>`;
    if (glyph === 'next') g += `<path d="M${cx - 6} ${cy - 2.2} h6 v-4.3 l7 6.5 l-7 6.5 v-4.3 h-6 z" fill="${color}"/>`;
    if (glyph === 'previous') g += `<path d="M${cx + 6} ${cy - 2.2} h-6 v-4.3 l-7 6.5 l7 6.5 v-4.3 h6 z" fill="${color}"/>`;
    return g;
  };
}

// An emoji from the artwork set as the icon of a banner frame.
function emojiIcon(code) {
  return (cx, cy) => `<circle cx="${cx}" cy="${cy}" r="13" fill="#ffffff" opacity="0.9"/>` + E(code, cx, cy, 20);
}

const BUTTONS = [
  { file: 'start', w: 114, h: 47, caption: '开始', colors: ['#7ee26b', '#2fb344', '#1d7f31'], icon: badge('play', '#2fb344'), size: 21 },
  { file: 'next', w: 114, h: 47, caption: '下一张', colors: ['#ffc25c', '#ff8a1f', '#c65a00'], icon: badge('next', '#ff8a1f'), size: 19 },
  { file: 'previous', w: 114, h: 49, caption: '上一张', colors: ['#7fd0ff', '#2f8fe8', '#1a5fb0'], icon: badge('previous', '#2f8fe8'), size: 19 },
];

const BANNERS = [
  { caption: '识字拼图', colors: ['#ff8fa3', '#ff4d6d', '#c9184a'], icon: '1f9e9' },
  { caption: '看图识字', colors: ['#ffb86b', '#ff7b29', '#c24f00'], icon: '1f5bc' },
  { caption: '快乐学习', colors: ['#ffe066', '#f5b700', '#a87a00'], icon: '1f31f' },
  { caption: '听一听', colors: ['#7be0a8', '#20b26b', '#127a47'], icon: '1f442' },
  { caption: '拼一拼', colors: ['#8ec9ff', '#3d8bfd', '#1f5bb8'], icon: '270b' },
  { caption: '关于我们', colors: ['#c9a3ff', '#9056f0', '#5f2bb3'], icon: '1f3e0' },
];

// The explanation window's two small pictures.
function recording() {
  const w = 56;
  const h = 48;
  let s = `<rect x="1" y="1" width="${w - 2}" height="${h - 2}" rx="12" fill="#fff6e8" stroke="#ff8a1f" stroke-width="2"/>`;
  s += E('1f399', 22, 24, 34);
  s += `<circle cx="41" cy="32" r="10" fill="#2fb344" stroke="#ffffff" stroke-width="2"/>`;
  s += `<path d="M38 26.5 L46 32 L38 37.5 Z" fill="#ffffff"/>`;
  s += `<path d="M40 9 q5 4 0 9 M44 6 q8 7 0 15" stroke="#ff8a1f" stroke-width="2" fill="none" stroke-linecap="round"/>`;
  return doc(w, h, s);
}

function reading() {
  const w = 56;
  const h = 56;
  let s = `<rect x="1" y="1" width="${w - 2}" height="${h - 2}" rx="13" fill="#eef6ff" stroke="#2f8fe8" stroke-width="2"/>`;
  s += E('1f916', 24, 32, 38);
  s += E('1f4ac', 42, 14, 22);
  return doc(w, h, s);
}

// Program icon: four interlocking puzzle pieces in bright colours on a
// rounded pink tile.
function icon() {
  const defs = `<linearGradient id="tile" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#ffd0d0"/><stop offset="1" stop-color="#ff9aa8"/></linearGradient>`;
  let s = `<rect x="4" y="4" width="248" height="248" rx="52" fill="url(#tile)" stroke="#e0607a" stroke-width="8"/>`;
  const q = [['#ff5d73', 40, 40], ['#ffc21c', 132, 40], ['#3fc06a', 40, 132], ['#3d8bfd', 132, 132]];
  q.forEach(([c, x, y]) => { s += `<rect x="${x}" y="${y}" width="84" height="84" rx="14" fill="${c}"/>`; });
  s += `<circle cx="128" cy="82" r="15" fill="#ff5d73"/><circle cx="82" cy="128" r="15" fill="#ff5d73"/>`;
  s += `<circle cx="174" cy="128" r="15" fill="#ffc21c"/><circle cx="128" cy="174" r="15" fill="#3fc06a"/>`;
  return doc(256, 256, s, defs);
}

// 16 x 16 open hand, drawn pixel by pixel: the inside of the hand is
// listed, its outline is every pixel that touches the inside.
function hand() {
  const inside = new Set();
  const fill = (rows, cols) => {
    for (let y = rows[0]; y <= rows[1]; y++) for (let x = cols[0]; x <= cols[1]; x++) inside.add(`${x},${y}`);
  };
  fill([3, 8], [4, 5]);   // index finger
  fill([1, 8], [7, 8]);   // middle finger
  fill([2, 8], [10, 11]); // ring finger
  fill([4, 8], [13, 14]); // little finger
  fill([9, 12], [4, 14]); // palm
  fill([13, 13], [5, 13]);
  fill([14, 14], [6, 12]);
  fill([6, 7], [1, 2]);   // thumb
  fill([8, 8], [2, 3]);
  fill([9, 12], [3, 3]);
  let s = '';
  for (let y = 0; y < 16; y++) {
    for (let x = 0; x < 16; x++) {
      const isIn = inside.has(`${x},${y}`);
      const touches = [[1, 0], [-1, 0], [0, 1], [0, -1], [1, 1], [1, -1], [-1, 1], [-1, -1]]
        .some(([dx, dy]) => inside.has(`${x + dx},${y + dy}`));
      if (isIn) s += `<rect x="${x}" y="${y}" width="1" height="1" fill="#ffffff"/>`;
      else if (touches) s += `<rect x="${x}" y="${y}" width="1" height="1" fill="#000000"/>`;
    }
  }
  return doc(16, 16, `<!-- open hand pointer; hot spot at (7, 0), the tip of the middle finger -->\n` +
    `<g shape-rendering="crispEdges">${s}</g>`);
}

function main() {
  const out = process.argv[2];
  if (!out) {
    console.error('usage: art.js OUTPUT_FOLDER');
    process.exit(2);
  }
  fs.mkdirSync(out, { recursive: true });
  const write = (name, text) => fs.writeFileSync(path.join(out, name), text);
  BUTTONS.forEach((b) => write(`${b.file}.svg`, button(b.w, b.h, b.colors, b.caption, b.icon, b.size)));
  BANNERS.forEach((b, i) => write(`banner${i}.svg`, button(117, 48, b.colors, b.caption, emojiIcon(b.icon), [...b.caption].length > 3 ? 17 : 19)));
  write('recording.svg', recording());
  write('reading.svg', reading());
  write('tukomi.svg', icon());
  write('hand.svg', hand());
}

main();
