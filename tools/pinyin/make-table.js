#!/usr/bin/env node
// Builds the game's pinyin table and writes it as thirteen parts
// data/pinyin/pinyin00.txt … pinyin12.txt (GBK, CRLF, lines "字 pin1").
//
//   node tools/pinyin/make-table.js [--unihan DIR] [--out DIR] [--check]
//
// Sources:
//  - pinyin-pro (npm, MIT): the readings of every character it knows, in its
//    own order, first reading first. Read through polyphonic(), which lists a
//    character's readings without the phrase rules of pinyin() (those turn a
//    lone 了 into liao3).
//  - Unihan (Unicode 15, Debian package unicode-data): kMandarin for the
//    characters pinyin-pro lacks; kHanyuPinyin, kXHC1983, kTGHZ2013,
//    kHanyuPinlu and kUnihanCore2020 to tell common characters from rare ones
//    and to list further readings; kIRG_*Source to break ties of rarity.
//  - review.tsv beside this script: the hand review of the common
//    characters where the two sources disagree.
//
// The table's shape is fixed by the game: 27,553 lines, 20,577 characters
// (all of GB2312's first level, all of its second level but 肀, and 13,815
// further GBK ideographs). Each character has one reading; it stands on one
// line for each reading its sources list, every line carrying the chosen
// reading. pinyin-pro's lists alone fill about 24,000 lines, so the further
// readings of Unihan's dictionaries give the remaining lines, commonest
// characters first, until the table is full.
'use strict';

const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { polyphonic } = require('pinyin-pro');

const kTableLines = 27553;
const kFurtherCharacters = 13815;
const kParts = 13;
const kPartLines = [2026, 2241];
const kPartBytes = [18059, 20436];
const kLeftOutOfLevel2 = '肀';
// Rows with a fixed place in the table (line numbers from 1): the first and
// the last line, and the rows our design notes cite by line number.
const kPinnedRows = [
  ['禬', 1], ['国', 77], ['果', 78], ['行', 324], ['好', 352], ['啊', 644],
  ['的', 5919], ['女', 6612], ['六', 9642], ['妈', 10322], ['瑳', kTableLines],
];
const kShuffleSeed = 0x7d2b1e5;

function fail(message) {
  console.error(`make-table: ${message}`);
  process.exit(1);
}

function parseArgs(argv) {
  const root = path.resolve(__dirname, '..', '..');
  const args = { unihan: '/usr/share/unicode', out: path.join(root, 'data', 'pinyin'), check: false };
  for (let i = 2; i < argv.length; i++) {
    if (argv[i] === '--unihan') args.unihan = argv[++i];
    else if (argv[i] === '--out') args.out = argv[++i];
    else if (argv[i] === '--check') args.check = true;
    else fail(`unknown argument ${argv[i]}`);
  }
  return args;
}

// --- GBK -----------------------------------------------------------------

// Every two-byte GBK code with the character it decodes to; the CJK unified
// ideographs among them, with their GB2312 level (1, 2, or 3 for the rest).
function gbkCodes() {
  const dec = new TextDecoder('gbk');
  const encode = new Map();
  const ideographs = [];
  for (let hi = 0x81; hi <= 0xfe; hi++) {
    for (let lo = 0x40; lo <= 0xfe; lo++) {
      if (lo === 0x7f) continue;
      const s = dec.decode(Uint8Array.of(hi, lo));
      if ([...s].length !== 1 || s === '\ufffd' || encode.has(s)) continue;
      encode.set(s, [hi, lo]);
      const cp = s.codePointAt(0);
      if (cp >= 0x4e00 && cp <= 0x9fa5) {
        const level = hi >= 0xb0 && hi <= 0xd7 && lo >= 0xa1 ? 1 : hi >= 0xd8 && hi <= 0xf7 && lo >= 0xa1 ? 2 : 3;
        ideographs.push({ c: s, level });
      }
    }
  }
  return { encode, ideographs };
}

function encodeGbk(text, encode) {
  const bytes = [];
  for (const ch of text) {
    const cp = ch.codePointAt(0);
    if (cp < 0x80) bytes.push(cp);
    else if (encode.has(ch)) bytes.push(...encode.get(ch));
    else fail(`${ch} has no GBK code`);
  }
  return Buffer.from(bytes);
}

// --- Unihan --------------------------------------------------------------

function readUnihan(dir) {
  const fields = new Map();
  const irgSources = new Map();
  for (const name of ['Unihan_Readings.txt', 'Unihan_DictionaryLikeData.txt', 'Unihan_IRGSources.txt']) {
    const plain = path.join(dir, name);
    let text;
    if (fs.existsSync(plain)) text = fs.readFileSync(plain, 'utf8');
    else if (fs.existsSync(plain + '.bz2')) text = execFileSync('bzcat', [plain + '.bz2'], { maxBuffer: 1 << 28 }).toString('utf8');
    else fail(`no ${name} in ${dir} (apt-get install unicode-data)`);
    for (const line of text.split('\n')) {
      if (!line.startsWith('U+')) continue;
      const [code, key, value] = line.split('\t');
      const c = String.fromCodePoint(parseInt(code.slice(2), 16));
      if (key.startsWith('kIRG_')) irgSources.set(c, (irgSources.get(c) || 0) + 1);
      else {
        if (!fields.has(c)) fields.set(c, {});
        fields.get(c)[key] = value;
      }
    }
  }
  return { fields, irgSources };
}

const kToneMarks = { '\u0304': 1, '\u0301': 2, '\u030c': 3, '\u0300': 4 };

// "lǜ" -> "lü4"; a syllable without a mark has the neutral tone 5.
function numberedFromMarked(marked) {
  let tone = 5;
  let base = '';
  for (const ch of marked.normalize('NFD')) {
    if (kToneMarks[ch]) tone = kToneMarks[ch];
    else base += ch;
  }
  return base.normalize('NFC') + tone;
}

function unihanReadings(entry, key) {
  const value = entry && entry[key];
  if (!value) return [];
  let marked;
  if (key === 'kHanyuPinyin' || key === 'kXHC1983' || key === 'kTGHZ2013')
    marked = value.split(' ').flatMap((e) => e.slice(e.indexOf(':') + 1).split(','));
  else if (key === 'kHanyuPinlu') marked = value.split(' ').map((e) => e.replace(/\(.*$/, ''));
  else marked = value.split(' ');
  return [...new Set(marked.map(numberedFromMarked))];
}

// --- pinyin-pro ----------------------------------------------------------

// pinyin-pro's readings with tone digits, 0 (its neutral tone) written 5;
// empty when it does not know the character (it then echoes it back).
function pinyinProReadings(c) {
  const [list] = polyphonic(c, { type: 'array', toneType: 'num' });
  if (!list || !list.length || list[0] === c) return [];
  return list.map((r) => r.replace(/0$/, '5'));
}

// --- review --------------------------------------------------------------

function readReview(file) {
  const review = new Map();
  fs.readFileSync(file, 'utf8').split('\n').forEach((line, i) => {
    if (!line.trim() || line.startsWith('#')) return;
    const [c, reading, note] = line.split('\t');
    if (!/^[a-zü]+[1-5]$/.test(reading || '') || [...c].length !== 1 || !note)
      fail(`${file}:${i + 1}: expected "character<TAB>reading<TAB>note"`);
    review.set(c, reading);
  });
  return review;
}

// --- the table -------------------------------------------------------------

const kSyllable = /^[a-zü]+[1-5]$/;

function rarity(c, level, unihan, pp) {
  const entry = unihan.fields.get(c) || {};
  const keys = ['kTGHZ2013', 'kXHC1983', 'kHanyuPinyin', 'kHanyuPinlu', 'kUnihanCore2020', 'kFrequency', 'kGradeLevel'];
  return {
    attested: (pp.length ? 1 : 0) + keys.filter((k) => entry[k]).length,
    sources: unihan.irgSources.get(c) || 0,
    level,
  };
}

// Most common first: more dictionaries and standards attest the character,
// then more national sources encode it, then the lower code point.
function commoner(a, b) {
  return b.rank.attested - a.rank.attested || b.rank.sources - a.rank.sources || a.c.codePointAt(0) - b.c.codePointAt(0);
}

function chooseCharacters(ideographs, unihan, review) {
  const chosen = [];
  const further = [];
  const unreadable = [];
  const disagreements = [];
  for (const { c, level } of ideographs) {
    if (c === kLeftOutOfLevel2) continue;
    const pp = pinyinProReadings(c);
    const mandarin = unihanReadings(unihan.fields.get(c), 'kMandarin');
    const own = pp.length ? pp : mandarin;
    if (!own.length) {
      if (level < 3) fail(`${c} of GB2312 has no reading in any source`);
      unreadable.push(c);
      continue;
    }
    let reading = review.get(c) || own[0];
    if (level === 1 && pp.length && mandarin.length && pp[0] !== mandarin[0] && !review.has(c))
      disagreements.push(`${c}\tpinyin-pro ${pp.join(',')}\tkMandarin ${mandarin.join(',')}`);
    if (!kSyllable.test(reading)) {
      const usable = own.find((r) => kSyllable.test(r));
      if (!usable) {
        unreadable.push(c);
        continue;
      }
      reading = usable;
    }
    const entry = { c, level, reading, own, pp, mandarin, rank: rarity(c, level, unihan, pp) };
    (level < 3 ? chosen : further).push(entry);
  }
  if (disagreements.length)
    fail(`review these common characters in review.tsv:\n${disagreements.join('\n')}`);
  further.sort(commoner);
  const leftOut = further.slice(kFurtherCharacters);
  return { characters: chosen.concat(further.slice(0, kFurtherCharacters)), leftOut, unreadable };
}

// One line per reading a character's source lists; the further readings of
// Unihan's dictionaries fill the table up to its size, commonest first.
function lineCounts(characters, unihan) {
  let total = 0;
  for (const ch of characters) {
    ch.lines = ch.own.length;
    total += ch.lines;
  }
  if (total > kTableLines) fail(`the sources alone give ${total} lines, more than ${kTableLines}`);
  const byCommonness = [...characters].sort((a, b) => a.level - b.level || (a.level < 3 ? 0 : commoner(a, b)));
  for (const ch of byCommonness) {
    if (total === kTableLines) break;
    const entry = unihan.fields.get(ch.c);
    const listed = new Set(ch.own);
    for (const key of ['kTGHZ2013', 'kXHC1983', 'kHanyuPinlu', 'kHanyuPinyin', 'kMandarin'])
      for (const r of unihanReadings(entry, key)) listed.add(r);
    const extra = Math.min(listed.size - ch.own.length, kTableLines - total);
    ch.lines += extra;
    total += extra;
  }
  if (total !== kTableLines) fail(`the sources list only ${total} readings, fewer than ${kTableLines}`);
}

// A small fixed-seed generator, so the table comes out the same every run.
function mulberry32(seed) {
  let a = seed >>> 0;
  return () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// The lines in no sorted order: a fixed shuffle, with the pinned rows at
// their places (a pinned character's further lines come after its row).
function orderLines(characters) {
  const random = mulberry32(kShuffleSeed);
  const pinned = new Map(kPinnedRows);
  const byChar = new Map(characters.map((ch) => [ch.c, ch]));
  const free = [];
  for (const ch of characters) {
    if (pinned.has(ch.c)) continue;
    for (let i = 0; i < ch.lines; i++) free.push(ch);
  }
  for (let i = free.length - 1; i > 0; i--) {
    const j = Math.floor(random() * (i + 1));
    [free[i], free[j]] = [free[j], free[i]];
  }
  const order = free;
  for (const [c, line] of kPinnedRows) {
    const ch = byChar.get(c);
    if (!ch) fail(`the pinned row ${c} is not in the table`);
    if (line === kTableLines) {
      for (let i = 0; i < ch.lines; i++) order.push(ch);
      continue;
    }
    order.splice(line - 1, 0, ch);
    for (let i = 1; i < ch.lines; i++) order.splice(line + Math.floor(random() * (order.length - line)) + 1, 0, ch);
  }
  return order.map((ch) => `${ch.c} ${ch.reading}\r\n`);
}

function cutIntoParts(lines, encode) {
  const parts = [];
  const base = Math.floor(lines.length / kParts);
  const longer = lines.length % kParts;
  let at = 0;
  for (let i = 0; i < kParts; i++) {
    const n = base + (i < longer ? 1 : 0);
    const bytes = encodeGbk(lines.slice(at, at + n).join(''), encode);
    if (n < kPartLines[0] || n > kPartLines[1]) fail(`part ${i} has ${n} lines`);
    if (bytes.length < kPartBytes[0] || bytes.length > kPartBytes[1]) fail(`part ${i} has ${bytes.length} bytes`);
    parts.push({ lines: n, bytes });
    at += n;
  }
  return parts;
}

function report(characters, lines, parts, leftOut, unreadable) {
  const tones = [0, 0, 0, 0, 0, 0];
  const syllables = new Set();
  let umlaut = 0;
  for (const line of lines) {
    const reading = line.slice(2, -2);
    tones[Number(reading.slice(-1))]++;
    syllables.add(reading.slice(0, -1));
    if (reading.includes('ü')) umlaut++;
  }
  const fromUnihan = characters.filter((ch) => !ch.pp.length).map((ch) => ch.c);
  const out = [
    `lines ${lines.length}, characters ${characters.length} (level 1 ${characters.filter((c) => c.level === 1).length}, level 2 ${characters.filter((c) => c.level === 2).length}, further ${characters.filter((c) => c.level === 3).length})`,
    `characters on more than one line ${characters.filter((ch) => ch.lines > 1).length}`,
    `syllables ${syllables.size}; with ü: ${[...syllables].filter((s) => s.includes('ü')).sort().join(' ')}; lines with ü ${umlaut}`,
    `tones 1:${tones[1]} 2:${tones[2]} 3:${tones[3]} 4:${tones[4]} 5:${tones[5]}`,
    `bytes ${parts.reduce((n, p) => n + p.bytes.length, 0)}, characters as a string ${lines.join('').length}`,
    `parts ${parts.map((p) => `${p.lines}/${p.bytes.length}`).join(' ')}`,
    `read from Unihan alone (${fromUnihan.length}): ${fromUnihan.join('')}`,
    `no source reads (${unreadable.length}): ${unreadable.join('')}`,
    `left out as rarest (${leftOut.length}): ${leftOut.map((ch) => ch.c).join('')}`,
  ];
  console.log(out.join('\n'));
}

function main() {
  const args = parseArgs(process.argv);
  const { encode, ideographs } = gbkCodes();
  const unihan = readUnihan(args.unihan);
  const review = readReview(path.join(__dirname, 'review.tsv'));
  const { characters, leftOut, unreadable } = chooseCharacters(ideographs, unihan, review);
  lineCounts(characters, unihan);
  const lines = orderLines(characters);
  const parts = cutIntoParts(lines, encode);
  report(characters, lines, parts, leftOut, unreadable);
  parts.forEach((part, i) => {
    const file = path.join(args.out, `pinyin${String(i).padStart(2, '0')}.txt`);
    if (args.check) {
      if (!fs.existsSync(file) || !fs.readFileSync(file).equals(part.bytes)) fail(`${file} differs from what the sources give`);
    } else {
      fs.mkdirSync(args.out, { recursive: true });
      fs.writeFileSync(file, part.bytes);
    }
  });
}

main();
