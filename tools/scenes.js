#!/usr/bin/env node
// Writes the 32 puzzle pictures as SVG (327 x 360) into the folder given as
// the first argument, plus texts.json with the picture texts.
//
// Each picture is a main subject over a drawn background (sky, hills,
// ground, water, room) with details spread over the 3 x 3 grid, so that every
// one of the nine pieces shows something of its own.
'use strict';

const fs = require('fs');
const path = require('path');
const { emoji: E, rng, doc } = require('./lib/svg');

const W = 327;
const H = 360;

// ---------------------------------------------------------------- background kit

let gradientCount = 0;
function vgrad(stops, defs) {
  gradientCount += 1;
  const id = `g${gradientCount}`;
  const s = stops.map(([o, c]) => `<stop offset="${o}" stop-color="${c}"/>`).join('');
  defs.push(`<linearGradient id="${id}" x1="0" y1="0" x2="0" y2="1">${s}</linearGradient>`);
  return `url(#${id})`;
}

function rect(x, y, w, h, fill, extra = '') {
  return `<rect x="${x}" y="${y}" width="${w}" height="${h}" fill="${fill}" ${extra}/>`;
}

let glowCount = 0;
// Sky: a vertical gradient, brightened around the sun (glow = [x, y], or
// null for none) so that it also changes from left to right.
function sky(defs, top, bottom, y1 = H, glow = [48, 46], glowColor = '#fffbe6') {
  let s = rect(0, 0, W, y1, vgrad([[0, top], [1, bottom]], defs));
  if (glow) {
    glowCount += 1;
    const id = `glow${glowCount}`;
    defs.push(`<radialGradient id="${id}" gradientUnits="userSpaceOnUse" cx="${glow[0]}" cy="${glow[1]}" r="300">` +
      `<stop offset="0" stop-color="${glowColor}" stop-opacity="0.9"/><stop offset="0.35" stop-color="${glowColor}" stop-opacity="0.35"/>` +
      `<stop offset="1" stop-color="${glowColor}" stop-opacity="0"/></radialGradient>`);
    s += rect(0, 0, W, y1, `url(#${id})`);
  }
  return s;
}

// A band of rolling hills whose top edge wanders around baseY.
function hills(defs, r, baseY, top, bottom, amp = 18, bumps = 3) {
  const pts = [];
  const step = W / bumps;
  let d = `M0 ${H} L0 ${baseY + (r() - 0.5) * amp}`;
  for (let i = 0; i < bumps; i++) {
    const x0 = i * step;
    const cy = baseY - amp * (0.6 + r() * 0.8);
    const ey = baseY + (r() - 0.5) * amp;
    d += ` Q${x0 + step / 2} ${cy} ${x0 + step} ${ey}`;
    pts.push(cy);
  }
  d += ` L${W} ${H} Z`;
  return `<path d="${d}" fill="${vgrad([[0, top], [1, bottom]], defs)}"/>`;
}

function ground(defs, y, top, bottom) {
  return rect(0, y, W, H - y, vgrad([[0, top], [1, bottom]], defs));
}

// Little blades of grass scattered over a region.
function grass(r, x0, x1, y0, y1, n, color = '#3f9b2f') {
  let s = '';
  for (let i = 0; i < n; i++) {
    const x = x0 + r() * (x1 - x0);
    const y = y0 + r() * (y1 - y0);
    const h = 5 + r() * 7;
    s += `<path d="M${x - 3} ${y} q1 ${-h * 0.6} ${-1} ${-h} M${x} ${y} q0 ${-h} ${1} ${-h - 3} M${x + 3} ${y} q0 ${-h * 0.6} ${2} ${-h}" ` +
      `stroke="${color}" stroke-width="1.4" fill="none" stroke-linecap="round"/>`;
  }
  return s;
}

// Tiny five-dot flowers sprinkled over the grass.
function blossoms(r, x0, x1, y0, y1, n, colors = ['#ffffff', '#ffd93b', '#ff8fb1', '#b58cff']) {
  let s = '';
  for (let i = 0; i < n; i++) {
    const x = x0 + r() * (x1 - x0);
    const y = y0 + r() * (y1 - y0);
    const c = colors[Math.floor(r() * colors.length)];
    for (let k = 0; k < 5; k++) {
      const a = (k / 5) * Math.PI * 2;
      s += `<circle cx="${(x + Math.cos(a) * 2.6).toFixed(1)}" cy="${(y + Math.sin(a) * 2.6).toFixed(1)}" r="2" fill="${c}"/>`;
    }
    s += `<circle cx="${x.toFixed(1)}" cy="${y.toFixed(1)}" r="1.5" fill="#f5a623"/>`;
  }
  return s;
}

// A soft drawn cloud.
function cloud(cx, cy, s = 1, color = '#ffffff', shade = '#dfe9f5') {
  const e = (dx, dy, rx, ry, c) => `<ellipse cx="${cx + dx * s}" cy="${cy + dy * s}" rx="${rx * s}" ry="${ry * s}" fill="${c}"/>`;
  return e(0, 6, 34, 11, shade) + e(-16, 0, 16, 13, color) + e(4, -6, 20, 17, color) + e(22, 2, 14, 11, color) + e(0, 4, 32, 10, color);
}

function water(defs, y, top, bottom, r, lines = 10) {
  let s = rect(0, y, W, H - y, vgrad([[0, top], [1, bottom]], defs));
  for (let i = 0; i < lines; i++) {
    const x = r() * W;
    const yy = y + 8 + r() * (H - y - 12);
    const w = 14 + r() * 22;
    s += `<path d="M${x} ${yy} q${w / 4} -4 ${w / 2} 0 t${w / 2} 0" stroke="#ffffff" stroke-opacity="0.65" stroke-width="2" fill="none" stroke-linecap="round"/>`;
  }
  return s;
}

function fence(y, x0, x1, color = '#c98b4f') {
  let s = rect(x0, y + 8, x1 - x0, 5, color) + rect(x0, y + 22, x1 - x0, 5, color);
  for (let x = x0 + 4; x < x1; x += 18) {
    s += `<path d="M${x} ${y + 38} v-34 l5 -6 l5 6 v34 z" fill="${color}" stroke="#9a6232" stroke-width="1"/>`;
  }
  return s;
}

function rays(cx, cy, r0, r1, n, color, opacity = 0.35) {
  let s = '';
  for (let i = 0; i < n; i++) {
    const a = (i / n) * Math.PI * 2;
    s += `<line x1="${cx + Math.cos(a) * r0}" y1="${cy + Math.sin(a) * r0}" x2="${cx + Math.cos(a) * r1}" y2="${cy + Math.sin(a) * r1}" stroke="${color}" stroke-width="4" stroke-linecap="round" opacity="${opacity}"/>`;
  }
  return s;
}

function shadow(cx, cy, rx, ry = rx / 5) {
  return `<ellipse cx="${cx}" cy="${cy}" rx="${rx}" ry="${ry}" fill="#000000" opacity="0.16"/>`;
}

function stars(r, x0, x1, y0, y1, n) {
  let s = '';
  for (let i = 0; i < n; i++) {
    s += `<circle cx="${x0 + r() * (x1 - x0)}" cy="${y0 + r() * (y1 - y0)}" r="${0.6 + r() * 1.3}" fill="#fffbe0" opacity="${0.5 + r() * 0.5}"/>`;
  }
  return s;
}

// A room: patterned wall, skirting, wooden floor.
function room(defs, r, wall, dot, floorY, floorTop, floorBottom) {
  let s = rect(0, 0, W, floorY, vgrad([[0, wall[0]], [1, wall[1]]], defs));
  for (let y = 12; y < floorY - 10; y += 26) {
    for (let x = (y / 26) % 2 ? 26 : 13; x < W; x += 26) {
      s += `<circle cx="${x}" cy="${y}" r="3.2" fill="${dot}" opacity="0.55"/>`;
    }
  }
  s += ground(defs, floorY, floorTop, floorBottom);
  s += rect(0, floorY - 6, W, 6, '#ffffff', 'opacity="0.8"');
  for (let x = -20; x < W; x += 46) {
    s += `<line x1="${x + r() * 8}" y1="${floorY}" x2="${x - 30}" y2="${H}" stroke="#8a5a2b" stroke-opacity="0.35" stroke-width="1.5"/>`;
  }
  return s;
}

function windowFrame(x, y, w, h, skyTop, skyBottom, defs, inner = '') {
  return rect(x - 5, y - 5, w + 10, h + 10, '#ffffff', 'rx="4"') +
    rect(x, y, w, h, vgrad([[0, skyTop], [1, skyBottom]], defs)) + inner +
    rect(x + w / 2 - 2, y, 4, h, '#ffffff') + rect(x, y + h / 2 - 2, w, 4, '#ffffff');
}

// Bamboo stalk drawn from the ground up.
function bamboo(x, y0, y1, w, r) {
  let s = '';
  for (let y = y0; y > y1; y -= 34) {
    s += `<rect x="${x - w / 2}" y="${y - 32}" width="${w}" height="32" rx="${w / 2.5}" fill="#6cbf3c" stroke="#3d8a22" stroke-width="1.5"/>`;
    s += `<rect x="${x - w / 2 + 2}" y="${y - 30}" width="${w / 4}" height="28" rx="2" fill="#a4e07a" opacity="0.8"/>`;
    if (r() < 0.6) {
      const dir = r() < 0.5 ? -1 : 1;
      s += `<path d="M${x} ${y - 32} q${dir * 18} -10 ${dir * 34} -4 q${-dir * 16} 8 ${-dir * 34} 4 z" fill="#4fae32"/>`;
    }
  }
  return s;
}

// Seven-band rainbow arc.
function rainbow(cx, cy, r0, band) {
  const colors = ['#ff4b4b', '#ff9f2e', '#ffe03b', '#5fd35a', '#3fb6ff', '#4a6cff', '#a25bff'];
  let s = '';
  colors.forEach((c, i) => {
    const rr = r0 - i * band;
    s += `<path d="M${cx - rr} ${cy} A${rr} ${rr} 0 0 1 ${cx + rr} ${cy}" stroke="${c}" stroke-width="${band + 0.6}" fill="none"/>`;
  });
  return s;
}

// A leafy tree drawn from circles, used where the tree needs its own colours.
function leafyTree(cx, baseY, size, leaf, leafDark, r) {
  let s = `<path d="M${cx - size * 0.08} ${baseY} L${cx - size * 0.05} ${baseY - size * 0.55} L${cx + size * 0.05} ${baseY - size * 0.55} L${cx + size * 0.08} ${baseY} Z" fill="#8a5a2b"/>`;
  const blobs = [[0, -0.78, 0.3], [-0.22, -0.62, 0.24], [0.22, -0.62, 0.24], [-0.12, -0.92, 0.2], [0.14, -0.9, 0.2]];
  blobs.forEach(([dx, dy, rr], i) => {
    s += `<circle cx="${cx + dx * size}" cy="${baseY + dy * size}" r="${rr * size}" fill="${i % 2 ? leafDark : leaf}"/>`;
  });
  for (let i = 0; i < 10; i++) {
    const a = r() * Math.PI * 2;
    const d = r() * size * 0.28;
    s += `<circle cx="${cx + Math.cos(a) * d}" cy="${baseY - size * 0.75 + Math.sin(a) * d}" r="${size * 0.03}" fill="#ffffff" opacity="0.25"/>`;
  }
  return s;
}

// Railway track along y.
function track(y) {
  let s = '';
  for (let x = -6; x < W + 10; x += 16) s += rect(x, y - 3, 8, 14, '#8a5a2b', 'rx="1"');
  s += rect(0, y, W, 3, '#6b6b6b') + rect(0, y + 7, W, 3, '#6b6b6b');
  return s;
}

// ---------------------------------------------------------------- the pictures

const SUN = '2600';
const SUNFACE = '1f31e';
const TREE = '1f333';
const PINE = '1f332';
const PALM = '1f334';
const TULIP = '1f337';
const DAISY = '1f33c';
const SUNFLOWER = '1f33b';
const HIBISCUS = '1f33a';
const CHERRY = '1f338';
const ROSE = '1f339';
const HERB = '1f33f';
const SPROUT = '1f331';
const MUSHROOM = '1f344';
const BUTTERFLY = '1f98b';
const BEE = '1f41d';
const LADYBUG = '1f41e';
const BIRD = '1f426';
const SNAIL = '1f40c';

// Grey fur of the artwork made white: the body white, the tail a shade darker
// so that it still shows against the body.
const WHITE_FUR = { '#99AAB5': '#FFFFFF', '#CCD6DD': '#E6EBEF' };

// Standard outdoor day: sky, sun top-left, clouds, hills, meadow.
function meadow(defs, r, o = {}) {
  const horizon = o.horizon ?? 220;
  let s = sky(defs, o.skyTop ?? '#5ec4ff', o.skyBottom ?? '#cfefff', horizon + 30, o.sun ?? [48, 46]);
  if (o.farHills !== false) s += hills(defs, r, horizon - 18, o.far1 ?? '#9fdc7c', o.far2 ?? '#7cc95a', 22, 2);
  s += hills(defs, r, horizon, o.near1 ?? '#7fd35a', o.near2 ?? '#3e9b2c', 12, 3);
  s += grass(r, 0, W, horizon + 14, H, o.grass ?? 55, o.grassColor ?? '#2f8a24');
  if (o.blossoms !== false) s += blossoms(r, 0, W, horizon + 20, H - 4, o.blossomCount ?? 18);
  return s;
}

function sunTopLeft(size = 70, x = 48, y = 46) {
  return rays(x, y, size * 0.5, size * 0.78, 12, '#ffd23b') + E(SUN, x, y, size);
}

const pictures = [
  {
    text: '红红的苹果', subject: 'apple tree with red apples',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 230 });
      s += sunTopLeft();
      s += cloud(275, 40, 1.1);
      s += shadow(165, 300, 70);
      s += E(TREE, 165, 190, 250);
      [[120, 115], [198, 98], [160, 150], [96, 168], [232, 160], [150, 80], [212, 205]].forEach(([x, y], i) => {
        s += E('1f34e', x, y, i % 3 ? 28 : 32);
      });
      s += E('1f9fa', 268, 318, 66);
      s += E('1f34e', 255, 296, 24) + E('1f34e', 280, 292, 24);
      s += E('1f34e', 55, 322, 30, { rotate: -20 });
      s += E(TULIP, 30, 300, 34);
      return s;
    },
  },
  {
    text: '小猫爱吃鱼', subject: 'cat with a fish on a meadow',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 215 });
      s += sunTopLeft();
      s += cloud(175, 58, 1.1) + cloud(290, 110, 0.6);
      s += E(BUTTERFLY, 282, 48, 40, { rotate: 15 });
      s += shadow(175, 298, 95);
      s += E('1f408', 175, 222, 190, { flip: true });
      s += E('1f37d', 62, 312, 74);
      s += E('1f41f', 62, 302, 56, { rotate: -10 });
      s += E('1f9f6', 292, 322, 44);
      s += E(DAISY, 40, 212, 36);
      return s;
    },
  },
  {
    text: '小狗汪汪叫', subject: 'dog barking beside its house',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 225, skyTop: '#4fb8ff', sun: [285, 44] });
      s += sunTopLeft(64, 285, 44);
      s += cloud(70, 50, 1.0) + cloud(180, 78, 0.7);
      s += fence(190, 0, W);
      s += E('1f3e0', 66, 200, 110);
      s += shadow(200, 318, 85);
      s += E('1f415', 200, 262, 165);
      s += E('1f4ac', 282, 150, 62);
      s += E('1f9b4', 62, 318, 54, { rotate: -25 });
      s += E(SUNFLOWER, 305, 300, 44);
      return s;
    },
  },
  {
    text: '小鸡吃米', subject: 'hen and chicks pecking rice',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 205, near1: '#c9e06a', near2: '#8fbf3a', grassColor: '#6b9a22', blossomCount: 10 });
      s += sunTopLeft();
      s += cloud(190, 48, 1.0) + cloud(290, 90, 0.7);
      s += fence(168, 0, W, '#d79a5a');
      s += shadow(85, 262, 55);
      s += E('1f414', 85, 208, 118);
      s += shadow(205, 300, 42) + E('1f424', 205, 270, 78);
      s += E(SUNFLOWER, 300, 150, 58) + E(SUNFLOWER, 262, 160, 44);
      s += shadow(282, 252, 34) + E('1f425', 282, 226, 66);
      s += E('1f423', 150, 325, 50);
      s += E('1f33e', 292, 318, 64);
      for (let i = 0; i < 26; i++) {
        const x = 110 + r() * 190;
        const y = 300 + r() * 52;
        s += `<ellipse cx="${x}" cy="${y}" rx="2.4" ry="1.5" fill="#fff8dc" stroke="#d9c78a" stroke-width="0.5" transform="rotate(${r() * 180} ${x} ${y})"/>`;
      }
      s += E('1f35a', 48, 322, 52);
      return s;
    },
  },
  {
    text: '小鸭游水', subject: 'duck swimming on a pond',
    draw(defs, r) {
      let s = sky(defs, '#6fd0ff', '#d8f4ff', 200);
      s += hills(defs, r, 170, '#a5e07f', '#6fc24f', 14, 3);
      s += grass(r, 0, W, 178, 200, 20, '#3f9b2f');
      s += water(defs, 196, '#5fc7ef', '#2386c9', r, 16);
      s += sunTopLeft();
      s += cloud(178, 52, 1.0) + cloud(285, 96, 0.7);
      s += E(BIRD, 282, 38, 34, { flip: true });
      s += `<ellipse cx="170" cy="262" rx="78" ry="12" fill="#ffffff" opacity="0.35"/>`;
      s += E('1f986', 170, 218, 150);
      s += E('1fab7', 58, 300, 62);
      s += `<ellipse cx="270" cy="318" rx="34" ry="12" fill="#4fae32"/><path d="M270 318 l30 -6 l0 10 z" fill="#2386c9"/>`;
      s += E(HERB, 30, 200, 48) + E(HERB, 305, 196, 42);
      return s;
    },
  },
  {
    text: '小白兔', subject: 'white rabbit with a carrot',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 210, blossomCount: 24 });
      s += sunTopLeft();
      s += cloud(170, 50, 1.0) + cloud(285, 70, 0.8);
      s += E(BUTTERFLY, 95, 140, 34, { rotate: -15 });
      s += shadow(160, 300, 80);
      // The artwork's rabbit is grey; the text says white.
      s += E('1f407', 160, 236, 175, { recolour: WHITE_FUR, outline: '#B4C0C8' });
      s += E('1f955', 282, 300, 66, { rotate: 30 });
      s += E(TULIP, 42, 300, 52) + E(DAISY, 100, 336, 32);
      s += E(MUSHROOM, 300, 200, 40);
      return s;
    },
  },
  {
    text: '大熊猫', subject: 'giant panda in a bamboo grove',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 240, skyTop: '#7fd6ff', near1: '#8fd96a', near2: '#4ca637', blossomCount: 8, sun: [170, 40] });
      s += sunTopLeft(58, 170, 40);
      s += cloud(255, 42, 0.8);
      s += bamboo(28, 350, 10, 16, r) + bamboo(66, 350, 90, 13, r) + bamboo(300, 350, 20, 15, r) + bamboo(262, 350, 110, 12, r);
      s += shadow(165, 300, 80);
      s += E('1f43c', 165, 215, 170);
      s += E(SPROUT, 110, 330, 40) + E(HERB, 220, 328, 44) + E(BUTTERFLY, 165, 60, 34, { rotate: 12 });
      return s;
    },
  },
  {
    text: '小猴吃香蕉', subject: 'monkey with bananas under palm trees',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 235, skyTop: '#4cc3ff', near1: '#9ad85a', near2: '#5aa532', blossomCount: 6, sun: [165, 40] });
      s += sunTopLeft(60, 165, 40);
      s += E(PALM, 58, 170, 150) + E(PALM, 282, 178, 130, { flip: true });
      s += E('1f99c', 290, 60, 50, { flip: true });
      s += shadow(175, 305, 80);
      s += E('1f412', 175, 238, 160);
      s += E('1f34c', 250, 320, 58) + E('1f34c', 95, 326, 46, { rotate: -30 });
      s += E(HIBISCUS, 30, 320, 36);
      return s;
    },
  },
  {
    text: '大象在河边', subject: 'elephant by a river',
    draw(defs, r) {
      let s = sky(defs, '#52bdf5', '#fdf0c2', 230);
      s += hills(defs, r, 200, '#d7d77a', '#b7c158', 16, 2);
      s += ground(defs, 215, '#c8d86a', '#a2bb4a');
      s += grass(r, 0, W, 222, 285, 26, '#6b9a22');
      s += `<path d="M0 282 Q100 268 180 284 T${W} 280 L${W} ${H} L0 ${H} Z" fill="#3aa6e6"/>`;
      s += water(defs, 300, '#3aa6e6', '#1f74b8', r, 12);
      s += sunTopLeft();
      s += cloud(190, 50, 1.0) + E(BIRD, 290, 60, 32, { flip: true }) + E(BIRD, 255, 86, 24, { flip: true });
      s += E(PALM, 290, 205, 92);
      s += shadow(160, 278, 90, 14);
      s += E('1f418', 160, 200, 195);
      s += E('1f420', 80, 330, 44) + E('1f420', 240, 338, 36, { flip: true });
      s += E(HERB, 30, 262, 40);
      return s;
    },
  },
  {
    text: '奶牛吃草', subject: 'cow grazing on a farm',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 200, grass: 80, sun: [282, 42] });
      s += sunTopLeft(60, 282, 42);
      s += cloud(70, 46, 0.9) + E(BIRD, 165, 50, 36, { flip: true }) + E(BIRD, 195, 82, 24, { flip: true });
      s += E('1f3e1', 62, 168, 96);
      s += fence(178, 110, W);
      s += shadow(175, 310, 100);
      s += E('1f404', 175, 242, 200, { flip: true });
      s += E(DAISY, 40, 318, 40) + E(TULIP, 300, 318, 40) + E(HERB, 140, 335, 34);
      return s;
    },
  },
  {
    text: '小鸟在唱歌', subject: 'bird singing on a branch',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 250, skyTop: '#63c9ff', blossomCount: 14, sun: [278, 46] });
      s += sunTopLeft(62, 278, 46);
      s += cloud(60, 60, 0.9) + cloud(180, 40, 0.7);
      s += `<path d="M-5 214 Q90 196 170 206 T330 188" stroke="#8a5a2b" stroke-width="11" fill="none" stroke-linecap="round"/>`;
      s += `<path d="M230 200 q20 -30 48 -34" stroke="#8a5a2b" stroke-width="6" fill="none" stroke-linecap="round"/>`;
      [[40, 196], [110, 192], [260, 170], [300, 196], [210, 214]].forEach(([x, y], i) => {
        s += `<ellipse cx="${x}" cy="${y}" rx="13" ry="7" fill="${i % 2 ? '#4fae32' : '#6cc84a'}" transform="rotate(${-30 + i * 25} ${x} ${y})"/>`;
      });
      s += E(BIRD, 160, 155, 120);
      s += E('1f3b5', 240, 110, 44) + E('1f3b6', 82, 118, 44) + E('1f3b5', 255, 262, 34, { rotate: 15 });
      s += E('1faba', 60, 280, 60);
      s += E(TULIP, 170, 320, 44) + E(ROSE, 300, 322, 42);
      return s;
    },
  },
  {
    text: '蝴蝶爱花', subject: 'butterflies over a flower bed',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 215, blossomCount: 30, sun: [280, 44] });
      s += sunTopLeft(60, 280, 44);
      s += cloud(70, 52, 0.9);
      s += E(BUTTERFLY, 170, 90, 86, { rotate: -12 });
      s += E(BUTTERFLY, 262, 180, 60, { rotate: 20 });
      s += E(SUNFLOWER, 60, 250, 108);
      s += E(TULIP, 165, 275, 96);
      s += E(HIBISCUS, 280, 300, 80);
      s += E(DAISY, 115, 330, 38) + E(CHERRY, 220, 340, 30) + E(ROSE, 30, 335, 36);
      return s;
    },
  },
  {
    text: '池塘里的青蛙', subject: 'frog on a lily pad in a pond',
    draw(defs, r) {
      let s = sky(defs, '#76d4ff', '#e2f7ff', 170);
      s += hills(defs, r, 150, '#9edb76', '#62b946', 14, 3);
      s += water(defs, 170, '#58c2c9', '#1e8a9e', r, 16);
      s += sunTopLeft(58);
      s += cloud(185, 46, 0.9) + E(BIRD, 285, 70, 42, { flip: true }) + E(BUTTERFLY, 150, 98, 34, { rotate: -15 });
      s += `<ellipse cx="165" cy="280" rx="90" ry="26" fill="#3f9b2f"/><path d="M165 280 L255 268 L250 290 Z" fill="#1e8a9e"/>`;
      s += E('1f438', 160, 235, 140);
      s += `<ellipse cx="60" cy="330" rx="30" ry="10" fill="#4fae32"/>` + E('1fab7', 60, 318, 50);
      s += `<ellipse cx="285" cy="206" rx="26" ry="8" fill="#4fae32"/>`;
      s += E(HERB, 40, 190, 50) + E(HERB, 300, 330, 46);
      s += E('1f41e', 290, 198, 26);
      return s;
    },
  },
  {
    text: '夏天吃西瓜', subject: 'watermelon on a summer beach',
    draw(defs, r) {
      let s = sky(defs, '#2fb3ff', '#bfeaff', 190);
      s += water(defs, 160, '#39b7e8', '#1f8fd0', r, 8);
      s += ground(defs, 200, '#ffe6a8', '#f2c56d');
      s += `<path d="M0 200 Q80 190 170 202 T${W} 196 L${W} 206 L0 206 Z" fill="#ffffff" opacity="0.7"/>`;
      s += rays(55, 55, 44, 74, 14, '#ffb81c', 0.45) + E(SUNFACE, 55, 55, 86);
      s += cloud(200, 44, 0.9);
      s += E('26f1', 275, 140, 110);
      s += shadow(160, 290, 85);
      s += E('1f349', 160, 248, 160);
      s += E('1f349', 282, 316, 58, { rotate: 15 });
      s += E('1f41a', 48, 318, 40) + E('1f980', 120, 335, 36);
      s += E('1f366', 40, 230, 46, { rotate: -10 });
      return s;
    },
  },
  {
    text: '甜甜的葡萄', subject: 'bunch of grapes on a vine',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 245, near1: '#9ad86a', near2: '#5aa532', blossomCount: 10, sun: [40, 150] });
      s += sunTopLeft(56, 40, 150);
      s += cloud(250, 150, 0.8);
      // trellis
      s += rect(0, 18, W, 10, '#a06a36') + rect(0, 64, W, 8, '#a06a36');
      for (let x = 20; x < W; x += 70) s += rect(x, 10, 9, 80, '#8a5a2b');
      [[30, 28], [95, 40], [150, 22], [230, 36], [300, 26], [60, 70], [270, 72]].forEach(([x, y], i) => {
        s += E(i % 2 ? '1f343' : HERB, x, y, 46, { rotate: i * 40 });
      });
      s += `<path d="M165 26 q-6 30 0 60" stroke="#6b4a1f" stroke-width="5" fill="none"/>`;
      s += E('1f347', 165, 190, 200);
      s += E('1f9fa', 270, 318, 74) + E('1f347', 270, 296, 40);
      s += E('1f347', 60, 320, 46, { rotate: 20 });
      return s;
    },
  },
  {
    text: '好吃的樱桃', subject: 'cherries in a garden',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 205, blossomCount: 20 });
      s += sunTopLeft();
      s += cloud(175, 50, 1.0);
      s += E(BEE, 285, 70, 44, { flip: true });
      s += E(TREE, 60, 180, 110);
      s += shadow(170, 318, 70) + E('1f352', 170, 238, 160, { rotate: -8 });
      s += E('1f9fa', 275, 310, 72) + E('1f352', 262, 288, 36) + E('1f352', 288, 286, 34, { flip: true });
      s += E('1f352', 60, 300, 44, { rotate: 20 }) + E('1f352', 80, 150, 24) + E('1f352', 40, 170, 22);
      s += E(DAISY, 40, 330, 40) + E(CHERRY, 300, 334, 34) + E(HERB, 300, 216, 40);
      return s;
    },
  },
  {
    text: '生日蛋糕', subject: 'birthday cake with balloons and a gift',
    draw(defs, r) {
      let s = room(defs, r, ['#fff2c7', '#ffe0a6'], '#ff9fb8', 250, '#e7b27a', '#c9884c');
      s += `<path d="M0 18 Q55 52 110 18 T218 18 T327 18" stroke="#ff6fa5" stroke-width="3" fill="none"/>`;
      [[30, 30], [80, 38], [140, 36], [190, 30], [250, 38], [300, 34]].forEach(([x, y], i) => {
        s += `<path d="M${x - 8} ${y - 8} L${x + 8} ${y - 8} L${x} ${y + 10} Z" fill="${['#ff5d73', '#4fc3ff', '#ffd23b', '#7ed957', '#b58cff', '#ff9f2e'][i]}"/>`;
      });
      s += E('1f388', 52, 110, 90) + E('1f388', 285, 100, 80, { rotate: 10 });
      s += E('1f38a', 165, 70, 56);
      s += `<ellipse cx="165" cy="300" rx="125" ry="30" fill="#ffffff" opacity="0.85"/>`;
      s += E('1f382', 165, 222, 170);
      s += E('1f381', 55, 300, 74);
      s += E('1f389', 285, 308, 66);
      return s;
    },
  },
  {
    text: '我爱爸爸妈妈', subject: 'a family in front of their home',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 225, blossomCount: 22 });
      s += sunTopLeft();
      s += cloud(200, 48, 0.9) + E('2764', 285, 70, 46);
      s += E('1f3e0', 60, 185, 100);
      s += E(TREE, 290, 190, 90);
      s += shadow(170, 318, 100);
      s += E('1f46a', 170, 240, 190);
      s += E('1f495', 110, 110, 40);
      s += E(TULIP, 40, 320, 40) + E(DAISY, 300, 320, 36);
      return s;
    },
  },
  {
    text: '奶奶讲故事', subject: 'grandmother telling a story to a girl',
    draw(defs, r) {
      let s = room(defs, r, ['#e5f3ff', '#cfe6ff'], '#8fc1ff', 245, '#d9a86c', '#b57b40');
      s += windowFrame(20, 20, 80, 76, '#1f3b73', '#4a6fb5', defs, E('1f319', 45, 45, 30) + E('2b50', 80, 72, 16));
      s += rect(225, 24, 76, 60, '#ffffff', 'rx="4"') + rect(231, 30, 64, 48, '#9fe0a0') + E(SUNFLOWER, 263, 54, 40);
      s += E('1f570', 165, 52, 56);
      s += E('1f475', 100, 185, 140);
      s += E('1f467', 242, 208, 110);
      s += `<ellipse cx="165" cy="312" rx="140" ry="34" fill="#ff8fa3" opacity="0.85"/>`;
      s += E('1f4d6', 165, 292, 84);
      s += E('1f9f8', 45, 316, 62) + E('1f4da', 290, 318, 54);
      s += E('2b50', 165, 150, 30) + E('2728', 190, 120, 26);
      return s;
    },
  },
  {
    text: '我的家', subject: 'a house with trees and a path',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 215, blossomCount: 26 });
      s += sunTopLeft();
      s += cloud(170, 46, 1.0) + cloud(285, 80, 0.8);
      s += `<path d="M150 262 Q140 310 100 360 L220 360 Q185 310 180 262 Z" fill="#e8c48a"/>`;
      s += E('1f3e0', 165, 188, 180);
      s += E(TREE, 42, 220, 104) + E(PINE, 292, 226, 92);
      s += E(TULIP, 40, 320, 44) + E(DAISY, 275, 325, 40) + E('1f415', 245, 300, 46);
      return s;
    },
  },
  {
    text: '小朋友上学', subject: 'children going to school',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 210, blossomCount: 12 });
      s += sunTopLeft(58);
      s += cloud(285, 44, 0.9);
      s += E('1f3eb', 170, 140, 170);
      s += `<path d="M140 205 Q135 280 80 360 L250 360 Q205 280 200 205 Z" fill="#e8c48a"/>`;
      s += E('1f466', 95, 272, 90) + E('1f467', 245, 272, 90);
      s += E('1f392', 165, 315, 64);
      s += E(TREE, 35, 200, 66) + E(PINE, 300, 200, 60);
      s += E('270f', 45, 330, 40, { rotate: 10 }) + E('1f4da', 295, 330, 44);
      return s;
    },
  },
  {
    text: '我爱读书', subject: 'books, pencil and globe on a desk',
    draw(defs, r) {
      let s = room(defs, r, ['#fff4e0', '#ffe7c4'], '#ffb870', 205, '#c98b4f', '#9a6232');
      s += windowFrame(215, 22, 92, 80, '#5ec4ff', '#cfefff', defs, cloud(255, 50, 0.5) + E(SUN, 290, 40, 26));
      s += E('2764', 60, 60, 56) + E('1f4c5', 158, 58, 56);
      s += E('1f4da', 170, 200, 150);
      s += E('1f30d', 55, 198, 74);
      s += E('1f4d6', 270, 210, 80);
      s += E('270f', 80, 300, 58, { rotate: 20 }) + E('1f34e', 175, 318, 48) + E('1f4cf', 280, 310, 56);
      return s;
    },
  },
  {
    text: '下雨了', subject: 'umbrella in the rain',
    draw(defs, r) {
      let s = sky(defs, '#6f8fb3', '#c7d6e6', 235, null);
      s += hills(defs, r, 215, '#8fc47a', '#5f9a4d', 14, 3);
      s += grass(r, 0, W, 235, H, 40, '#3f7a2f');
      s += E('1f327', 55, 78, 96) + E('2601', 170, 42, 110) + E('1f327', 288, 48, 70);
      for (let i = 0; i < 70; i++) {
        const x = r() * W;
        const y = 100 + r() * 220;
        s += `<line x1="${x}" y1="${y}" x2="${x - 4}" y2="${y + 12}" stroke="#e8f4ff" stroke-width="1.6" stroke-linecap="round" opacity="0.8"/>`;
      }
      s += `<ellipse cx="90" cy="320" rx="56" ry="12" fill="#6aa8d8" opacity="0.8"/><ellipse cx="250" cy="338" rx="48" ry="10" fill="#6aa8d8" opacity="0.8"/>`;
      s += E('2614', 170, 210, 160);
      s += E('1f438', 280, 300, 50) + E(SNAIL, 50, 300, 42) + E('1f4a7', 60, 170, 26) + E('1f4a7', 280, 170, 22);
      return s;
    },
  },
  {
    text: '冬天堆雪人', subject: 'snowman in a snowy field',
    draw(defs, r) {
      let s = sky(defs, '#8fd0ff', '#eaf6ff', 230);
      s += hills(defs, r, 210, '#ffffff', '#dbe9f7', 16, 3);
      s += ground(defs, 232, '#f4f9ff', '#cfe0f2');
      for (let i = 0; i < 45; i++) {
        s += `<circle cx="${r() * W}" cy="${r() * 230}" r="${1 + r() * 2}" fill="#ffffff" opacity="0.9"/>`;
      }
      s += rays(48, 46, 30, 46, 12, '#ffe98a', 0.5) + E(SUN, 48, 46, 56);
      s += cloud(175, 52, 0.9) + E('2744', 140, 98, 40) + E('2744', 280, 50, 44) + E('2744', 300, 120, 26) + E(BIRD, 190, 100, 32, { flip: true }) + E(BIRD, 262, 98, 28, { flip: true });
      s += E(PINE, 50, 200, 100) + E(PINE, 288, 220, 90);
      s += shadow(165, 320, 72);
      s += E('26c4', 165, 230, 190);
      s += E('1f9e3', 60, 318, 56) + E('1f9e4', 280, 320, 50);
      return s;
    },
  },
  {
    text: '太阳出来了', subject: 'sun rising over the hills',
    draw(defs, r) {
      let s = sky(defs, '#5ec4ff', '#ffd9a0', 250, [165, 165]);
      s += rays(165, 165, 78, 140, 18, '#ffd23b', 0.4);
      s += E(SUNFACE, 165, 165, 150);
      s += hills(defs, r, 230, '#8fd96a', '#4ca637', 20, 2);
      s += grass(r, 0, W, 250, H, 40);
      s += blossoms(r, 0, W, 260, 355, 16);
      s += cloud(55, 60, 0.9) + cloud(290, 110, 0.6);
      s += E(BIRD, 60, 130, 30, { flip: true }) + E(BIRD, 270, 40, 34) + E(BIRD, 300, 66, 22);
      s += E('1f413', 70, 285, 96);
      s += E(SUNFLOWER, 270, 290, 72) + E(SPROUT, 175, 320, 40);
      return s;
    },
  },
  {
    text: '雨后彩虹', subject: 'rainbow after the rain',
    draw(defs, r) {
      let s = sky(defs, '#48b9ff', '#d9f2ff', 240, [280, 42]);
      s += rainbow(165, 250, 150, 13);
      s += hills(defs, r, 235, '#86d760', '#3e9b2c', 16, 3);
      s += grass(r, 0, W, 250, H, 50);
      s += blossoms(r, 0, W, 260, 355, 16);
      s += cloud(30, 240, 1.2) + cloud(300, 242, 1.2);
      s += E(SUN, 280, 42, 54) + cloud(65, 40, 0.8);
      s += E('1f4a7', 130, 150, 22) + E('1f4a7', 200, 160, 18);
      s += `<ellipse cx="170" cy="320" rx="54" ry="12" fill="#9bd8ff"/>`;
      s += E(TULIP, 50, 318, 44) + E(SNAIL, 280, 320, 42) + E(DAISY, 170, 300, 30);
      return s;
    },
  },
  {
    text: '弯弯的月亮', subject: 'crescent moon and stars at night',
    draw(defs, r) {
      let s = sky(defs, '#0d1b4a', '#3b4f9a', 260, [165, 140], '#6f86d6');
      s += stars(r, 0, W, 0, 230, 60);
      s += hills(defs, r, 245, '#2f5a6e', '#1c3847', 18, 3);
      s += E('1f31b', 165, 140, 150);
      s += E('2b50', 45, 45, 34) + E('1f31f', 290, 50, 40) + E('2b50', 250, 200, 24) + E('2728', 60, 160, 30);
      s += E('1f3e0', 70, 282, 84);
      s += `<rect x="62" y="282" width="14" height="14" fill="#ffe66b" opacity="0.9"/>`;
      s += E(TREE, 285, 268, 90, { opacity: 0.85 }) + E('1f989', 280, 262, 40);
      s += E('1f98a', 175, 318, 56) + E('1f31f', 150, 250, 20);
      s += blossoms(r, 120, 240, 300, 355, 6, ['#ffe66b']);
      return s;
    },
  },
  {
    text: '春天花开', subject: 'spring flowers in bloom',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 205, blossomCount: 30 });
      s += sunTopLeft();
      s += cloud(285, 48, 0.9);
      s += leafyTree(180, 200, 200, '#ffc1dc', '#ff9cc6', r);
      for (let i = 0; i < 10; i++) s += E(CHERRY, 110 + r() * 140, 40 + r() * 80, 14 + r() * 10);
      s += E(BIRD, 290, 128, 34, { flip: true }) + E(BUTTERFLY, 60, 150, 36);
      [[30, 300], [80, 315], [130, 300], [180, 318], [230, 302], [280, 316]].forEach(([x, y], i) => {
        s += E([TULIP, ROSE, TULIP, DAISY, TULIP, HIBISCUS][i], x, y, 52);
      });
      s += E(BEE, 300, 240, 30) + E(SPROUT, 60, 235, 28);
      return s;
    },
  },
  {
    text: '秋天到了', subject: 'autumn tree with falling leaves',
    draw(defs, r) {
      let s = meadow(defs, r, {
        horizon: 220, skyTop: '#6cc6ff', skyBottom: '#fff1d6',
        far1: '#e9c46a', far2: '#d9a441', near1: '#e6b450', near2: '#b7792e', grassColor: '#9a6a22', blossoms: false,
        sun: [285, 44],
      });
      s += sunTopLeft(60, 285, 44);
      s += cloud(60, 48, 0.9);
      s += leafyTree(150, 250, 230, '#ff9a2e', '#e0552b', r);
      [[60, 130], [250, 150], [200, 60], [290, 250], [95, 220]].forEach(([x, y], i) => s += E(i % 2 ? '1f342' : '1f341', x, y, 30, { rotate: i * 50 }));
      s += E('1f43f', 250, 290, 80);
      s += E(MUSHROOM, 55, 305, 54) + E('1f994', 150, 325, 58) + E('1f330', 305, 335, 36) + E('1f341', 30, 345, 28);
      return s;
    },
  },
  {
    text: '火车呜呜叫', subject: 'a steam train running through the hills',
    draw(defs, r) {
      let s = meadow(defs, r, { horizon: 200, blossomCount: 16 });
      s += sunTopLeft(58);
      s += cloud(285, 52, 0.9);
      s += cloud(128, 104, 0.7, '#f4f4f4', '#b9b9b9') + cloud(168, 66, 0.6, '#f4f4f4', '#b9b9b9') + cloud(205, 32, 0.5, '#f4f4f4', '#b9b9b9');
      s += E(BIRD, 250, 100, 26, { flip: true });
      s += track(262);
      s += E('1f682', 95, 212, 130);
      s += E('1f683', 205, 216, 110) + E('1f683', 300, 216, 110);
      s += E(PINE, 40, 150, 50) + E(TREE, 250, 150, 56);
      s += E(TULIP, 40, 320, 40) + E(DAISY, 165, 330, 34) + E('1f6a6', 290, 320, 50);
      return s;
    },
  },
  {
    text: '飞机飞上天', subject: 'an airplane flying among the clouds',
    draw(defs, r) {
      let s = sky(defs, '#2ea8ff', '#d6f0ff', 290);
      s += hills(defs, r, 280, '#8fd96a', '#4ca637', 14, 3);
      s += grass(r, 0, W, 295, H, 30);
      s += sunTopLeft(62);
      s += cloud(270, 60, 1.1) + cloud(60, 200, 0.9) + cloud(290, 235, 0.8) + cloud(165, 120, 0.6);
      s += `<path d="M40 250 Q110 220 150 190" stroke="#ffffff" stroke-width="6" stroke-dasharray="2 10" stroke-linecap="round" fill="none" opacity="0.8"/>`;
      s += E('2708', 185, 165, 170, { rotate: -10 });
      s += E(BIRD, 80, 110, 28, { flip: true });
      s += E('1f3e0', 60, 318, 48) + E('1f3e1', 260, 322, 50) + E(TREE, 160, 320, 44);
      return s;
    },
  },
  {
    text: '小船在海上', subject: 'a sailboat on the sea',
    draw(defs, r) {
      let s = sky(defs, '#36b2ff', '#d8f3ff', 200);
      s += water(defs, 190, '#3ec3f0', '#0f6fb8', r, 22);
      s += sunTopLeft();
      s += cloud(185, 50, 1.0) + cloud(290, 96, 0.7);
      s += E(BIRD, 280, 40, 30, { flip: true }) + E(BIRD, 120, 100, 22);
      s += E('1f3dd', 290, 180, 60);
      s += `<ellipse cx="165" cy="278" rx="80" ry="10" fill="#ffffff" opacity="0.4"/>`;
      s += E('26f5', 165, 205, 170);
      s += E('1f42c', 275, 300, 72) + E('1f420', 55, 318, 46) + E('1f41a', 165, 338, 26, { opacity: 0.9 });
      return s;
    },
  },
];

// ---------------------------------------------------------------- main

function main() {
  const out = process.argv[2];
  if (!out) {
    console.error('usage: scenes.js OUTPUT_FOLDER');
    process.exit(2);
  }
  if (pictures.length !== 32) throw new Error(`expected 32 pictures, have ${pictures.length}`);
  fs.mkdirSync(out, { recursive: true });
  const texts = [];
  pictures.forEach((p, i) => {
    const n = i + 1;
    const defs = [];
    const body = p.draw(defs, rng(1000 + n));
    fs.writeFileSync(path.join(out, `${n}.svg`), doc(W, H, body, defs.join('')));
    texts.push({ n, text: p.text, subject: p.subject });
  });
  fs.writeFileSync(path.join(out, 'texts.json'), JSON.stringify(texts, null, 1) + '\n');
}

if (require.main === module) main();
module.exports = { pictures };
