#!/usr/bin/env node
// Share of the sentences of tests/unit/mandarin/sentences.tsv that a reader gets
// entirely right, judged on espeak-ng's phonemes. Run through accuracy.sh,
// which builds the phoneme helper and passes its path:
//
//   node accuracy.js --phonemes PATH [--say PATH] [--rows abcd]
//                    [--mismatches DIR] [--table FILE]
//
// Rows:
//   a  espeak-ng voice cmn on the characters
//   b  espeak-ng voice cmn-latn-pinyin on the characters
//   c  pinyin-pro's tone-numbered pinyin (other text as it leaves it), read by
//      cmn-latn-pinyin
//   d  our engine: lenvoro-say --phonemes --voice 0 TEXT
//
// The expected phonemes come from the table's EXPECTED column read by
// cmn-latn-pinyin (English words by en-us), with the sentence's own
// punctuation put back between the syllables so that both sides have the
// same clauses (espeak-ng changes tones across a whole clause).
'use strict';

const { execFile, spawn } = require('child_process');
const fs = require('fs');
const path = require('path');

const ROOT = path.resolve(__dirname, '..', '..');
const { parseTable, align, DEFAULT_TABLE } = require(path.join(ROOT, 'tools', 'mandarin', 'check-sentences.js'));

const PINYIN_VOICE = 'cmn-latn-pinyin';
const ENGLISH_VOICE = 'en-us';

function parseArgs(argv) {
  const o = { rows: 'abcd', table: DEFAULT_TABLE };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const v = () => argv[++i];
    if (a === '--phonemes') o.phonemes = v();
    else if (a === '--say') o.say = v();
    else if (a === '--rows') o.rows = v();
    else if (a === '--mismatches') o.mismatches = v();
    else if (a === '--table') o.table = v();
    else throw new Error(`unknown option ${a}`);
  }
  if (!o.phonemes) throw new Error('--phonemes PATH is required');
  return o;
}

// ---- normalising phonemes -------------------------------------------------

// espeak-ng marks a stretch read in another language as (en) ... (cmn). The
// marks are dropped; inside a stretch of English the digits are dropped too,
// because there they are the Chinese voice's pitch marks on English phonemes
// (and some English phoneme names), never a Chinese tone. The expected
// English words are treated the same way. Chinese syllables keep their tone
// digits on both sides, so a Chinese syllable read as English (which loses its
// tone) cannot match, nor an English word read with Chinese tones.
function normalise(phonemes, startsEnglish = false) {
  let out = '';
  let english = startsEnglish;
  const re = /\(([a-z-]+)\)/g;
  let last = 0;
  let m;
  const take = (s) => { out += english ? s.replace(/[0-9]/g, '') : s; };
  while ((m = re.exec(phonemes)) !== null) {
    take(phonemes.slice(last, m.index));
    english = !m[1].startsWith('cmn') && !m[1].startsWith('zh');
    last = re.lastIndex;
  }
  take(phonemes.slice(last));
  // Within a word espeak-ng says a fourth tone before another fourth tone
  // as a half fall (睡觉 s.wei53tS;jAu51); read syllable by syllable, the
  // expected side cannot show it. It is the same tone, so 53 counts as 51.
  return out
    .replace(/_:*/g, '')
    .replace(/[|',%=\s]/g, '')
    .replace(/53/g, '51');
}

// ---- what each side reads -------------------------------------------------

// The expected side as phoneme-helper parts: [[voice, text], ...].
function expectedParts(row) {
  const { items } = align(row.text, row.tokens);
  if (!items) return null;
  const parts = [];
  let pending = '';
  const add = (voice, text) => {
    const cur = parts[parts.length - 1];
    if (cur && cur[0] === voice) cur[1] += ` ${text}`;
    else parts.push([voice, `${pending}${text}`]);
    pending = '';
  };
  for (const { seg, tokens } of items) {
    if (seg.type === 'latin') add(ENGLISH_VOICE, seg.norm);
    else if (seg.type === 'han' || seg.type === 'number') add(PINYIN_VOICE, tokens.join(' '));
    else if (parts.length) parts[parts.length - 1][1] += ` ${seg.text} `;
    else pending += `${seg.text} `;
  }
  return parts.map(([v, t]) => [v, t.replace(/\s+/g, ' ').trim()]);
}

// Normalised expected phonemes from the helper's output for expectedParts:
// each part is spoken on its own, so the helper is run once per part.
function pinyinProText(pro, text) {
  return pro.pinyin(text, { toneType: 'num', type: 'array', nonZh: 'consecutive' })
    .map((s) => s.replace(/^([a-zü]+)0$/, '$15'))
    .join(' ');
}

function runHelper(helper, lines) {
  return new Promise((resolve, reject) => {
    const child = spawn(helper, [], { stdio: ['pipe', 'pipe', 'inherit'] });
    let out = '';
    child.stdout.setEncoding('utf8');
    child.stdout.on('data', (d) => { out += d; });
    child.on('error', reject);
    child.on('close', (code) => {
      const got = out.split('\n');
      got.pop();
      if (got.length !== lines.length) reject(new Error(`phoneme helper gave ${got.length} lines for ${lines.length} (exit ${code})`));
      else resolve(got);
    });
    child.stdin.end(`${lines.map((l) => l.replace(/[\n\r]/g, ' ')).join('\n')}\n`);
  });
}

async function helperPhonemes(helper, voice, texts) {
  return runHelper(helper, texts.map((t) => `${voice}\t${t.replace(/\t/g, ' ')}`));
}

async function expectedPhonemes(helper, rows) {
  // One helper line per part, then joined per sentence.
  const flat = [];
  const owner = [];
  rows.forEach((row, i) => {
    row.parts.forEach(([voice, text]) => {
      flat.push(`${voice}\t${text}`);
      owner.push([i, voice]);
    });
  });
  const out = await runHelper(helper, flat);
  const per = rows.map(() => '');
  out.forEach((ph, k) => {
    const [i, voice] = owner[k];
    per[i] += normalise(ph, voice === ENGLISH_VOICE);
  });
  return per;
}

function sayPhonemes(say, texts, jobs = 4) {
  const results = new Array(texts.length);
  let next = 0;
  const one = () => new Promise((resolve) => {
    const i = next++;
    if (i >= texts.length) { resolve(false); return; }
    execFile(say, ['--phonemes', '--voice', '0', texts[i]], { encoding: 'utf8', timeout: 30000 }, (err, stdout) => {
      results[i] = err ? null : stdout;
      resolve(true);
    });
  });
  const worker = async () => { while (await one()); };
  return Promise.all(Array.from({ length: jobs }, worker)).then(() => results);
}

function hasPhonemesOption(say) {
  if (!say || !fs.existsSync(say)) return `${say || 'lenvoro-say'} not built`;
  return new Promise((resolve) => {
    execFile(say, ['--help'], { encoding: 'utf8' }, (err, stdout, stderr) => {
      resolve(/--phonemes/.test(`${stdout}${stderr}`) ? null : `${say} has no --phonemes option yet`);
    });
  });
}

// ---- main -----------------------------------------------------------------

async function main() {
  const o = parseArgs(process.argv.slice(2));
  const { rows: all, problems } = parseTable(o.table);
  if (problems.length) throw new Error(problems.join('\n'));
  const rows = [];
  for (const r of all) {
    const parts = expectedParts(r);
    if (!parts) console.error(`accuracy: line ${r.line} does not line up with its text; left out (run check-sentences.js)`);
    else rows.push({ ...r, parts });
  }
  const texts = rows.map((r) => r.text);
  const expected = await expectedPhonemes(o.phonemes, rows);

  const names = {
    a: 'a. espeak-ng cmn on the characters',
    b: 'b. espeak-ng cmn-latn-pinyin on the characters',
    c: 'c. pinyin-pro, read by cmn-latn-pinyin',
    d: 'd. lenvoro (lenvoro-say --phonemes --voice 0)',
  };
  const table = [];
  const notes = [];
  for (const key of o.rows) {
    let raw;
    const t0 = Date.now();
    if (key === 'a') raw = await helperPhonemes(o.phonemes, 'cmn', texts);
    else if (key === 'b') raw = await helperPhonemes(o.phonemes, PINYIN_VOICE, texts);
    else if (key === 'c') {
      const pro = require(require.resolve('pinyin-pro', { paths: [path.join(ROOT, 'tools')] }));
      raw = await helperPhonemes(o.phonemes, PINYIN_VOICE, texts.map((t) => pinyinProText(pro, t)));
    } else if (key === 'd') {
      const why = await hasPhonemesOption(o.say);
      if (why) {
        notes.push(`Row d skipped: ${why}.`);
        table.push([names.d, '-', 'skipped']);
        continue;
      }
      raw = await sayPhonemes(o.say, texts);
    } else {
      throw new Error(`unknown row ${key}`);
    }
    let right = 0;
    let failed = 0;
    const wrong = [];
    raw.forEach((ph, i) => {
      if (ph === null) { failed++; wrong.push(`${rows[i].line}\t${texts[i]}\t(failed)`); return; }
      // lenvoro-say prints one line per segment, English ones after "(en)";
      // each line starts afresh in its own language.
      const got = key === 'd'
        ? ph.split('\n').map((line) => normalise(line, /^\s*\(en\)/.test(line))).join('')
        : normalise(ph);
      if (got === expected[i]) right++;
      else wrong.push(`${rows[i].line}\t${texts[i]}\n  want ${expected[i]}\n  got  ${got}\n  raw  ${ph.trim()}`);
    });
    const pct = ((100 * right) / rows.length).toFixed(1);
    table.push([names[key], `${right} / ${rows.length}`, `${pct} %`]);
    if (failed) notes.push(`Row ${key}: ${failed} sentences failed to run.`);
    if (o.mismatches) {
      fs.mkdirSync(o.mismatches, { recursive: true });
      fs.writeFileSync(path.join(o.mismatches, `row-${key}.txt`), `${wrong.join('\n')}\n`);
    }
    console.error(`accuracy: row ${key} took ${((Date.now() - t0) / 1000).toFixed(1)} s`);
  }

  console.log('| row | sentences right | share |');
  console.log('| --- | ---: | ---: |');
  table.forEach((r) => console.log(`| ${r.join(' | ')} |`));
  notes.forEach((n) => console.log(`\n${n}`));
}

module.exports = { normalise, expectedParts, pinyinProText };

if (require.main === module) {
  main().catch((e) => {
    console.error(`accuracy: ${e.message}`);
    process.exit(1);
  });
}
