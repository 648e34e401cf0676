#!/usr/bin/env node
// Checks the picture texts and prints "pictext.ini" (UTF-8, CRLF) on stdout;
// make-content converts it to GBK.
//
// Checks, each failing the run:
//  - 32 texts of 2 to 10 characters, Chinese characters only;
//  - every character is among the 3,755 most common characters (the first
//    level of GB2312), the set a young child meets first;
//  - every character is read in the phrase the way it is read on its own
//    (its first, most common reading), so a table that gives each
//    character one reading shows the right pinyin. A neutral tone in a
//    doubled word (爸爸, 奶奶) counts as the same reading.
'use strict';

const { pinyin, polyphonic } = require('pinyin-pro');
const { pictures } = require('./scenes');

function commonCharacters() {
  const set = new Set();
  const dec = new TextDecoder('gbk');
  for (let hi = 0xb0; hi <= 0xd7; hi++) {
    for (let lo = 0xa1; lo <= 0xfe; lo++) {
      if (hi === 0xd7 && lo > 0xf9) break;
      set.add(dec.decode(Uint8Array.of(hi, lo)));
    }
  }
  return set;
}

function check() {
  const problems = [];
  const common = commonCharacters();
  if (pictures.length !== 32) problems.push(`expected 32 texts, have ${pictures.length}`);
  pictures.forEach((p, i) => {
    const n = i + 1;
    const chars = [...p.text];
    if (chars.length < 2 || chars.length > 10) problems.push(`${n}: ${p.text} has ${chars.length} characters`);
    const inContext = pinyin(p.text, { type: 'array', toneType: 'num' });
    chars.forEach((c, k) => {
      if (!common.has(c)) problems.push(`${n}: ${c} is not a common character`);
      const own = polyphonic(c, { type: 'array', toneType: 'num' })[0][0];
      const ctx = inContext[k];
      const neutralDouble = ctx.endsWith('0') && k > 0 && chars[k - 1] === c && own.slice(0, -1) === ctx.slice(0, -1);
      if (ctx !== own && !neutralDouble) problems.push(`${n}: ${c} reads ${ctx} here but ${own} on its own`);
    });
  });
  return problems;
}

function main() {
  const problems = check();
  if (problems.length) {
    problems.forEach((p) => console.error(`texts: ${p}`));
    process.exit(1);
  }
  if (process.argv.includes('--check')) return;
  let out = '; Picture texts: one record per line, the picture number, a point and the text, in square brackets. GBK, CRLF.\r\n';
  pictures.forEach((p, i) => { out += `[${i + 1}.${p.text}]\r\n`; });
  process.stdout.write(out);
}

main();
