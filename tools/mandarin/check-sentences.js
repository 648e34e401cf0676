#!/usr/bin/env node
// Checks tests/unit/mandarin/sentences.tsv, the hand-checked table of Mandarin
// readings, against two independent pinyin converters and prints where they
// disagree with the table. The table is the truth: a disagreement is only an
// alert for a person to judge.
//
//   node tools/mandarin/check-sentences.js [--summary] [--both] [TABLE]
//
//   --summary  print only the counts
//   --both     list only the syllables where both converters agree with each
//              other and not with the table (the likeliest slips)
//
// Sources:
//   pinyin-pro  from tools/node_modules (cd tools && npm ci)
//   pinyin 4    not a project dependency; install it in a scratch folder
//               (mkdir /tmp/pinyin-check && cd /tmp/pinyin-check &&
//               npm install pinyin@4) and point PINYIN4 at that folder,
//               default /tmp/pinyin-check. Without it only pinyin-pro is used.
//
// Besides the converters it checks the table itself, and those faults make the
// exit status 1: every token is a tone-numbered syllable, a lower-case Latin
// word or a number syllable; every Chinese character has one syllable and
// every Latin word itself; numbers written with digits read as the rules
// below expect (a differing number is reported, not fatal, when the token
// count still fits).
//
// The module also exports the parsing and alignment used by
// bench/mandarin/accuracy.js.
'use strict';

const fs = require('fs');
const path = require('path');

const ROOT = path.resolve(__dirname, '..', '..');
const DEFAULT_TABLE = path.join(ROOT, 'tests', 'unit', 'mandarin', 'sentences.tsv');

const HAN = /\p{Script=Han}/u;
const SYLLABLE = /^[a-zü]+[1-5]$/;
const LATIN_TOKEN = /^[a-z]+$/;

// ---- the table ------------------------------------------------------------

function parseTable(file) {
  const rows = [];
  const problems = [];
  const lines = fs.readFileSync(file, 'utf8').split('\n');
  lines.forEach((raw, i) => {
    const line = raw.replace(/\r$/, '');
    if (line === '' || line.startsWith('#')) return;
    const cols = line.split('\t');
    if (cols.length !== 2 || !cols[0] || !cols[1]) {
      problems.push(`line ${i + 1}: expected TEXT<TAB>EXPECTED`);
      return;
    }
    const tokens = cols[1].split(' ');
    if (tokens.some((t) => t === '')) problems.push(`line ${i + 1}: tokens must be separated by single spaces`);
    rows.push({ line: i + 1, text: cols[0], tokens });
  });
  return { rows, problems };
}

// ---- splitting the text ---------------------------------------------------

// Splits TEXT into segments: one Chinese character; a Latin word (ASCII or
// full-width letters); a number (digits, an optional decimal part and an
// optional percent sign, ASCII or full-width); anything else one character of
// punctuation or space. Each segment keeps its original text; `norm` is the
// NFKC form of letters and numbers.
function segment(text) {
  const chars = Array.from(text);
  const segs = [];
  const nf = (c) => c.normalize('NFKC');
  const isLetter = (c) => c !== undefined && /^[A-Za-z]$/.test(nf(c));
  const isDigit = (c) => c !== undefined && /^[0-9]$/.test(nf(c));
  let i = 0;
  while (i < chars.length) {
    const c = chars[i];
    if (HAN.test(c)) {
      segs.push({ type: 'han', text: c });
      i++;
    } else if (isLetter(c)) {
      let j = i;
      while (isLetter(chars[j])) j++;
      const word = chars.slice(i, j).join('');
      segs.push({ type: 'latin', text: word, norm: nf(word) });
      i = j;
    } else if (isDigit(c)) {
      let j = i;
      while (isDigit(chars[j])) j++;
      const intPart = nf(chars.slice(i, j).join(''));
      let frac = '';
      if (chars[j] !== undefined && nf(chars[j]) === '.' && isDigit(chars[j + 1])) {
        let k = j + 1;
        while (isDigit(chars[k])) k++;
        frac = nf(chars.slice(j + 1, k).join(''));
        j = k;
      }
      let percent = false;
      if (chars[j] !== undefined && nf(chars[j]) === '%') {
        percent = true;
        j++;
      }
      segs.push({ type: 'number', text: chars.slice(i, j).join(''), intPart, frac, percent });
      i = j;
    } else {
      segs.push({ type: 'punct', text: c });
      i++;
    }
  }
  return segs;
}

// ---- numbers --------------------------------------------------------------

const DIGIT = ['ling2', 'yi1', 'er4', 'san1', 'si4', 'wu3', 'liu4', 'qi1', 'ba1', 'jiu3'];
const UNIT = ['', 'shi2', 'bai3', 'qian1'];
// Measure words (and 点 of the clock) after which a lone 2 is 两.
const MEASURE = new Set(Array.from('个只本支条张块位名件头匹棵朵把岁次层辆架片双对颗粒杯碗瓶盒天年点米斤元'));
// Words after which a lone 1 keeps its first tone (dates, floors, ordinals).
const DATE_LIKE = new Set(Array.from('月日号楼'));

function toneOf(tok) {
  const m = /([1-5])$/.exec(tok || '');
  return m ? Number(m[1]) : 0;
}

// 一 before a syllable of the given tone, the way the table writes it.
function yiBefore(tone) {
  return tone === 4 ? 'yi2' : 'yi4';
}

function under10000(n) {
  // n in 1..9999, read in full (十 for 10..19 at the start).
  const ds = String(n).padStart(4, '0').split('').map(Number);
  const out = [];
  let zero = false;
  let started = false;
  for (let p = 0; p < 4; p++) {
    const d = ds[p];
    const unit = UNIT[3 - p];
    if (d === 0) {
      if (started) zero = true;
      continue;
    }
    if (zero) out.push('ling2');
    zero = false;
    if (unit === 'shi2' && d === 1 && !started) {
      out.push('shi2');
    } else if (unit === '') {
      out.push(DIGIT[d]);
    } else {
      let syl = DIGIT[d];
      if (d === 1) syl = yiBefore(toneOf(unit));
      if (d === 2 && unit === 'qian1' && !started) syl = 'liang3';
      out.push(syl, unit);
    }
    started = true;
  }
  return out;
}

function cardinal(n) {
  if (n === 0) return ['ling2'];
  if (n < 10000) return under10000(n);
  const high = Math.floor(n / 10000);
  const low = n % 10000;
  const head = high === 1 ? ['yi2'] : under10000(high);
  if (high === 2) head[0] = 'liang3';
  const out = [...head, 'wan4'];
  if (low) {
    if (low < 1000) out.push('ling2');
    out.push(...under10000(low));
  }
  return out;
}

function digitByDigit(s, one) {
  return Array.from(s).map((d) => (d === '1' ? one : DIGIT[Number(d)]));
}

// The syllables a number segment is read with. `before` is the text before
// the segment, `next` the character after it, `nextToken` the table's token
// after it (for the tone of 一).
function readNumber(seg, before, next, nextToken) {
  const { intPart, frac, percent } = seg;
  let body;
  if (/(电话|号码)[是：:]?$/.test(before)) {
    body = digitByDigit(intPart, 'yao1');
  } else if ((next === '年' && intPart.length >= 3) || intPart.length >= 7 || (intPart.length > 1 && intPart[0] === '0')) {
    body = digitByDigit(intPart, 'yi1');
  } else {
    const n = Number(intPart);
    if (frac) {
      body = n === 1 ? ['yi1'] : cardinal(n);
    } else if (n === 2 && !before.endsWith('第') && MEASURE.has(next)) {
      body = ['liang3'];
    } else if (n === 1 && DATE_LIKE.has(next)) {
      body = ['yi1'];
    } else if (n === 1 && MEASURE.has(next) && !before.endsWith('第')) {
      body = [yiBefore(toneOf(nextToken))];
    } else {
      body = cardinal(n);
    }
  }
  if (frac) body = [...body, 'dian3', ...digitByDigit(frac, 'yi1')];
  return percent ? ['bai3', 'fen1', 'zhi1', ...body] : body;
}

// ---- alignment ------------------------------------------------------------

// Pairs each segment of TEXT with its tokens of EXPECTED. Returns
// { items: [{ seg, tokens }], problems: [...] }; punctuation gets no token.
function align(text, tokens) {
  const segs = segment(text);
  const problems = [];
  const numbers = segs.filter((s) => s.type === 'number');
  const fixed = segs.filter((s) => s.type === 'han' || s.type === 'latin').length;

  // First pass: the number readings the rules give, to learn how many tokens
  // each number takes. The tone of a following 一 is looked up afterwards.
  const guess = new Map();
  let cursor = 0;
  let before = '';
  segs.forEach((s, k) => {
    if (s.type === 'number') {
      const next = segs[k + 1] ? segs[k + 1].text : '';
      const r = readNumber(s, before, next, tokens[cursor + 1]);
      guess.set(s, r);
      cursor += r.length;
    } else if (s.type !== 'punct') {
      cursor += 1;
    }
    before += s.text;
  });
  const total = fixed + numbers.reduce((a, s) => a + guess.get(s).length, 0);
  const lengths = new Map(numbers.map((s) => [s, guess.get(s).length]));
  if (total !== tokens.length) {
    if (numbers.length === 1 && tokens.length - (total - guess.get(numbers[0]).length) > 0) {
      lengths.set(numbers[0], tokens.length - fixed);
    } else {
      problems.push(`has ${tokens.length} tokens, the text needs ${total}`);
      return { items: null, problems };
    }
  }

  const items = [];
  cursor = 0;
  before = '';
  segs.forEach((s, k) => {
    let take = 0;
    if (s.type === 'han' || s.type === 'latin') take = 1;
    else if (s.type === 'number') take = lengths.get(s);
    const mine = tokens.slice(cursor, cursor + take);
    cursor += take;
    if (s.type === 'han' && !SYLLABLE.test(mine[0])) problems.push(`${s.text}: "${mine[0]}" is not a tone-numbered syllable`);
    if (s.type === 'latin' && mine[0] !== s.norm.toLowerCase()) problems.push(`${s.text}: written "${mine[0]}", should be "${s.norm.toLowerCase()}"`);
    if (s.type === 'number') {
      const next = segs[k + 1] ? segs[k + 1].text : '';
      const want = readNumber(s, before, next, tokens[cursor]);
      if (mine.some((t) => !SYLLABLE.test(t))) problems.push(`${s.text}: "${mine.join(' ')}" is not all syllables`);
      s.reading = want;
      if (want.join(' ') !== mine.join(' ')) s.numberDiffers = true;
    }
    items.push({ seg: s, tokens: mine });
    before += s.text;
  });
  for (const t of tokens) {
    if (!SYLLABLE.test(t) && !LATIN_TOKEN.test(t)) problems.push(`"${t}" is neither a syllable nor a lower-case word`);
  }
  return { items, problems };
}

// ---- the two converters ---------------------------------------------------

function normalise(syl) {
  if (!syl) return '';
  let s = syl.toLowerCase().replace(/v/g, 'ü');
  if (/[0]$/.test(s)) s = s.slice(0, -1) + '5';
  if (!/[1-5]$/.test(s)) s += '5';
  return s;
}

function loadPinyinPro() {
  return require(require.resolve('pinyin-pro', { paths: [path.join(ROOT, 'tools')] }));
}

function loadPinyin4() {
  const dir = process.env.PINYIN4 || '/tmp/pinyin-check';
  try {
    const mod = require(require.resolve('pinyin', { paths: [dir] }));
    return mod.default || mod;
  } catch (e) {
    return null;
  }
}

// Syllables of pinyin-pro for each Chinese character of TEXT, in order.
function byPinyinPro(pro, text) {
  return pro.pinyin(text, { toneType: 'num', type: 'all' })
    .filter((x) => x.isZh && HAN.test(x.origin))
    .map((x) => normalise(x.pinyin));
}

// Syllables of pinyin 4 (with word segmentation) for each Chinese character.
function byPinyin4(p4, text) {
  const out = [];
  const runs = text.match(/\p{Script=Han}+/gu) || [];
  const whole = p4(text, { style: p4.STYLE_TONE2, segment: true });
  const flat = whole.map((x) => x[0]);
  // Chinese characters come one per entry, everything else grouped.
  let ok = true;
  let k = 0;
  const chars = Array.from(text);
  for (let i = 0; i < chars.length; i++) {
    if (HAN.test(chars[i])) {
      out.push(normalise(flat[k++]));
    } else {
      let j = i;
      while (j < chars.length && !HAN.test(chars[j])) j++;
      if (flat[k] !== chars.slice(i, j).join('')) ok = false;
      k++;
      i = j - 1;
    }
  }
  if (ok && k === flat.length) return out;
  // Fall back to one call per run of characters.
  return runs.flatMap((r) => p4(r, { style: p4.STYLE_TONE2, segment: true }).map((x) => normalise(x[0])));
}

// ---- report ---------------------------------------------------------------

function kind(ch, table, other) {
  if (ch === '一' || ch === '不') return 'yi-bu';
  const base = (s) => s.slice(0, -1);
  if (base(table) !== base(other)) return 'syllable';
  if (table.endsWith('5') || other.endsWith('5')) return 'neutral';
  return 'tone';
}

function main() {
  const args = process.argv.slice(2);
  const summary = args.includes('--summary');
  const onlyBoth = args.includes('--both');
  const file = args.find((a) => !a.startsWith('--')) || DEFAULT_TABLE;

  const pro = loadPinyinPro();
  const p4 = loadPinyin4();
  if (!p4) console.error('check-sentences: pinyin 4 not found (see the top of this script); using pinyin-pro only');

  const { rows, problems } = parseTable(file);
  const counts = { sentences: rows.length, syllables: 0, pro: 0, p4: 0, both: 0, bothAgree: 0, numbers: 0, proRows: 0, p4Rows: 0 };
  const kinds = { pro: {}, p4: {} };
  const seen = new Map();
  const lines = [];

  for (const row of rows) {
    if (seen.has(row.text)) problems.push(`line ${row.line}: same text as line ${seen.get(row.text)}`);
    seen.set(row.text, row.line);
    const { items, problems: ps } = align(row.text, row.tokens);
    ps.forEach((p) => problems.push(`line ${row.line} ${row.text}: ${p}`));
    if (!items) continue;
    const han = items.filter((it) => it.seg.type === 'han');
    const a = byPinyinPro(pro, row.text);
    const b = p4 ? byPinyin4(p4, row.text) : [];
    const notes = [];
    let rowPro = false;
    let rowP4 = false;
    han.forEach((it, i) => {
      const t = it.tokens[0];
      counts.syllables++;
      const dp = a[i] !== t;
      const d4 = p4 && b[i] !== t;
      if (dp) { counts.pro++; const k = kind(it.seg.text, t, a[i]); kinds.pro[k] = (kinds.pro[k] || 0) + 1; }
      if (d4) { counts.p4++; const k = kind(it.seg.text, t, b[i]); kinds.p4[k] = (kinds.p4[k] || 0) + 1; }
      rowPro = rowPro || dp;
      rowP4 = rowP4 || d4;
      if (dp && d4) counts.both++;
      const bothAgree = dp && d4 && a[i] === b[i];
      if (bothAgree) counts.bothAgree++;
      if ((onlyBoth && bothAgree) || (!onlyBoth && (dp || d4))) {
        notes.push(`    ${it.seg.text}  table ${t}  pinyin-pro ${a[i]}${p4 ? `  pinyin ${b[i]}` : ''}`);
      }
    });
    if (rowPro) counts.proRows++;
    if (rowP4) counts.p4Rows++;
    for (const it of items) {
      if (it.seg.type === 'number' && it.seg.numberDiffers) {
        counts.numbers++;
        notes.push(`    ${it.seg.text}  table ${it.tokens.join(' ')}  rules ${it.seg.reading.join(' ')}`);
      }
    }
    if (notes.length) lines.push(`${row.line} ${row.text}\n${notes.join('\n')}`);
  }

  if (!summary && lines.length) console.log(lines.join('\n'));
  const fmt = (o) => Object.entries(o).map(([k, v]) => `${k} ${v}`).join(', ');
  console.log(`\n${counts.sentences} sentences, ${counts.syllables} syllables of Chinese characters`);
  console.log(`pinyin-pro differs from the table at ${counts.pro} syllables in ${counts.proRows} sentences (${fmt(kinds.pro)})`);
  if (p4) console.log(`pinyin 4 differs from the table at ${counts.p4} syllables in ${counts.p4Rows} sentences (${fmt(kinds.p4)})`);
  if (p4) console.log(`both differ at ${counts.both}, of which both give the same other reading at ${counts.bothAgree}`);
  console.log(`numbers read otherwise than the rules: ${counts.numbers}`);
  if (problems.length) {
    problems.forEach((p) => console.error(`check-sentences: ${p}`));
    process.exit(1);
  }
}

module.exports = { parseTable, segment, align, readNumber, DEFAULT_TABLE };

if (require.main === module) main();
