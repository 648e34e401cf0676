#!/usr/bin/env node
// Draws the assistant character, a round little chick, as SVG frames and
// writes the character's manifest.
//
//   node draw.js OUTDIR
//
// writes OUTDIR/svg/<frame>.svg and OUTDIR/manifest.json. make-character
// renders the frames to PNG and packs everything into data/merlin.acs.
'use strict';

const fs = require('fs');
const path = require('path');

const SIZE = 128;
// The larger sizes every frame is also rendered at ("rest@2x.png"), for the
// game drawn large on big screens.
const SCALES = [2, 3];

const COLOURS = {
  outline: '#b86a00',
  bodyLight: '#fff27a',
  bodyDark: '#ffc21a',
  belly: '#fff8cc',
  wing: '#ffd23f',
  beak: '#ff8a1f',
  beakEdge: '#c45a00',
  mouth: '#8e1b2c',
  tongue: '#ff7d8e',
  eyeWhite: '#ffffff',
  pupil: '#2a1a0c',
  cheek: '#ff7b93',
  feet: '#ff8a1f',
  tuft: '#ffb000',
  bow: '#2f8fe8',
};

// Eyes: 'open', 'half' or 'closed'. Mouth: how far the beak opens in pixels
// (0 closed) and whether the opening is round. bob moves the body up.
function chick({ eyes = 'open', mouth = 0, round = false, bob = 0, wingLift = 0 }) {
  const c = COLOURS;
  let s = '';
  // Wings behind the body; a lifted wing waves while the chick talks.
  s += `<g transform="rotate(${-20 - wingLift} 26 ${84 - bob})"><ellipse cx="22" cy="${84 - bob}" rx="12" ry="18" fill="${c.wing}" stroke="${c.outline}" stroke-width="2.5"/></g>`;
  s += `<g transform="rotate(${20 + wingLift} 102 ${84 - bob})"><ellipse cx="106" cy="${84 - bob}" rx="12" ry="18" fill="${c.wing}" stroke="${c.outline}" stroke-width="2.5"/></g>`;
  // Feet stay on the ground.
  s += `<path d="M46 114 q-6 8 -10 8 h20 q-4 0 -4 -8 z" fill="${c.feet}" stroke="${c.beakEdge}" stroke-width="1.5"/>`;
  s += `<path d="M82 114 q6 8 10 8 h-20 q4 0 4 -8 z" fill="${c.feet}" stroke="${c.beakEdge}" stroke-width="1.5"/>`;

  s += `<g transform="translate(0 ${-bob})">`;
  // Tuft of three feathers on top.
  s += `<path d="M64 30 C58 18 60 10 66 6 C64 14 68 20 64 30 Z" fill="${c.tuft}" stroke="${c.outline}" stroke-width="2"/>`;
  s += `<path d="M63 30 C52 24 48 18 50 12 C54 18 60 22 63 30 Z" fill="${c.tuft}" stroke="${c.outline}" stroke-width="2"/>`;
  s += `<path d="M65 30 C74 22 80 20 84 22 C76 24 70 26 65 30 Z" fill="${c.tuft}" stroke="${c.outline}" stroke-width="2"/>`;
  // Body with a soft gradient and a lighter belly.
  s += `<circle cx="64" cy="72" r="44" fill="url(#body)" stroke="${c.outline}" stroke-width="3"/>`;
  s += `<ellipse cx="64" cy="92" rx="27" ry="19" fill="${c.belly}"/>`;
  s += `<ellipse cx="48" cy="44" rx="14" ry="8" fill="#ffffff" opacity="0.45" transform="rotate(-25 48 44)"/>`;
  // Cheeks.
  s += `<ellipse cx="33" cy="80" rx="8" ry="5" fill="${c.cheek}" opacity="0.75"/>`;
  s += `<ellipse cx="95" cy="80" rx="8" ry="5" fill="${c.cheek}" opacity="0.75"/>`;
  // Eyes.
  for (const x of [46, 82]) {
    if (eyes === 'closed') {
      s += `<path d="M${x - 10} 64 q10 8 20 0" fill="none" stroke="${c.pupil}" stroke-width="3.5" stroke-linecap="round"/>`;
      continue;
    }
    const ry = eyes === 'half' ? 6 : 13;
    const cy = eyes === 'half' ? 66 : 62;
    s += `<ellipse cx="${x}" cy="${cy}" rx="11" ry="${ry}" fill="${c.eyeWhite}" stroke="${c.outline}" stroke-width="2"/>`;
    const pr = eyes === 'half' ? 5 : 8;
    s += `<circle cx="${x + 2}" cy="${cy + 2}" r="${pr}" fill="${c.pupil}"/>`;
    s += `<circle cx="${x + 5}" cy="${cy - 2}" r="${eyes === 'half' ? 1.6 : 3}" fill="#ffffff"/>`;
    if (eyes === 'half') {
      s += `<path d="M${x - 12} 64 q12 -6 24 0" fill="none" stroke="${c.outline}" stroke-width="2.5" stroke-linecap="round"/>`;
    } else {
      s += `<circle cx="${x - 1}" cy="${cy + 6}" r="1.5" fill="#ffffff" opacity="0.8"/>`;
    }
  }
  // Beak: an upper half that stays, a lower half that drops to speak.
  const bx = 64;
  const by = 78;
  if (mouth > 0) {
    const w = round ? 9 : 12;
    s += `<ellipse cx="${bx}" cy="${by + 3 + mouth / 2}" rx="${w}" ry="${3 + mouth / 2}" fill="${c.mouth}" stroke="${c.beakEdge}" stroke-width="1.5"/>`;
    s += `<ellipse cx="${bx}" cy="${by + 4 + mouth}" rx="${w * 0.55}" ry="${1.5 + mouth / 4}" fill="${c.tongue}"/>`;
  }
  const lw = round ? 8 : 11;
  s += `<path d="M${bx - lw} ${by + 3 + mouth} Q${bx} ${by + 12 + mouth} ${bx + lw} ${by + 3 + mouth} Z" fill="${c.beak}" stroke="${c.beakEdge}" stroke-width="1.8" stroke-linejoin="round"/>`;
  s += `<path d="M${bx - 13} ${by + 2} Q${bx} ${by - 10} ${bx + 13} ${by + 2} Q${bx} ${by + 8} ${bx - 13} ${by + 2} Z" fill="${c.beak}" stroke="${c.beakEdge}" stroke-width="1.8" stroke-linejoin="round"/>`;
  s += `<ellipse cx="${bx - 4}" cy="${by - 2}" rx="4" ry="1.6" fill="#ffffff" opacity="0.6"/>`;
  // A blue bow tie under the beak.
  s += `<path d="M64 106 l-12 -6 v12 z M64 106 l12 -6 v12 z" fill="${c.bow}" stroke="#1a5fb0" stroke-width="1.5" stroke-linejoin="round"/>`;
  s += `<circle cx="64" cy="106" r="3.5" fill="#1a5fb0"/>`;
  s += `</g>`;
  return s;
}

const DEFS =
  `<radialGradient id="body" cx="0.4" cy="0.35" r="0.7">` +
  `<stop offset="0" stop-color="${COLOURS.bodyLight}"/><stop offset="1" stop-color="${COLOURS.bodyDark}"/></radialGradient>`;

function doc(content) {
  return `<svg xmlns="http://www.w3.org/2000/svg" width="${SIZE}" height="${SIZE}" viewBox="0 0 ${SIZE} ${SIZE}">` +
    `<defs>${DEFS}</defs>${content}</svg>\n`;
}

// The ground shadow, scaled with the chick while it pops in or out.
function shadow(scale) {
  return `<ellipse cx="64" cy="122" rx="${34 * scale}" ry="${4.5 * scale}" fill="#7a2a2a" opacity="0.18"/>`;
}

// The whole chick scaled about the middle of its feet.
function scaled(scale, opacity, pose) {
  return shadow(Math.min(scale, 1)) +
    `<g opacity="${opacity}" transform="translate(64 122) scale(${scale}) translate(-64 -122)">${chick(pose)}</g>`;
}

const frames = {};
const add = (name, content) => { frames[name] = doc(content); return `frames/${name}.png`; };

const rest = add('rest', shadow(1) + chick({}));
const eyesHalf = add('eyes-half', shadow(1) + chick({ eyes: 'half' }));
const eyesClosed = add('eyes-closed', shadow(1) + chick({ eyes: 'closed' }));
const mouthSmall = add('mouth-small', shadow(1) + chick({ mouth: 4, bob: 1 }));
const mouthWide = add('mouth-wide', shadow(1) + chick({ mouth: 9, bob: 2, wingLift: 14 }));
const mouthRound = add('mouth-round', shadow(1) + chick({ mouth: 7, round: true, bob: 1, wingLift: 6 }));

const appearSteps = [[0.12, 0.4], [0.35, 0.8], [0.65, 1], [0.95, 1], [1.05, 1], [0.97, 1], [1.02, 1]];
const appear = appearSteps.map(([scale, opacity], i) =>
  add(`appear-${i}`, scaled(scale, opacity, { eyes: i < 3 ? 'closed' : 'open' })));
const disappearSteps = [[1.04, 1], [0.9, 1], [0.65, 0.95], [0.4, 0.8], [0.18, 0.5], [0.05, 0.2]];
const disappear = disappearSteps.map(([scale, opacity], i) =>
  add(`disappear-${i}`, scaled(scale, opacity, { eyes: i > 1 ? 'closed' : 'open', mouth: i === 0 ? 4 : 0 })));

const f = (image, duration) => ({ image, duration });
const manifest = {
  format: 1,
  name: 'merlin',
  frameSize: { width: SIZE, height: SIZE },
  animations: {
    appear: { frames: [...appear.map((image) => f(image, 45)), f(rest, 120)] },
    idle: { frames: [f(rest, 1100), f(eyesHalf, 50), f(eyesClosed, 110), f(eyesHalf, 50), f(rest, 1600)] },
    speak: {
      frames: [
        f(mouthSmall, 90), f(mouthWide, 120), f(mouthSmall, 80), f(mouthRound, 130),
        f(rest, 70), f(mouthWide, 110), f(mouthRound, 100), f(mouthSmall, 90), f(rest, 60),
      ],
    },
    disappear: { frames: disappear.map((image) => f(image, 45)) },
  },
  balloon: {
    background: '#fffef5',
    border: '#c77800',
    text: '#3b2600',
    fontFamily: '黑体',
    fontSize: 26,
  },
  scales: SCALES,
};

const out = process.argv[2];
if (!out) {
  console.error('usage: draw.js OUTDIR');
  process.exit(2);
}
fs.mkdirSync(path.join(out, 'svg'), { recursive: true });
for (const [name, svg] of Object.entries(frames)) fs.writeFileSync(path.join(out, 'svg', `${name}.svg`), svg);
fs.writeFileSync(path.join(out, 'manifest.json'), JSON.stringify(manifest, null, 2) + '\n');
