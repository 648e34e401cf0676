#!/usr/bin/env node
// Packs a character's manifest and frames into one character file, the
// container described at the top of game/model/character_file.h: an 8-byte
// mark, the version and the number of entries, an index of names, offsets
// and sizes, then the entries' bytes, manifest.json first.
//
//   node pack.js OUT.acs FOLDER
//
// FOLDER holds manifest.json and frames/*.png; the frames follow the
// manifest in the order of their names. pack() is also used on its own, to
// build test files.
'use strict';

const fs = require('fs');
const path = require('path');

const MARK = Buffer.from([0x54, 0x4b, 0x43, 0x48, 0x41, 0x52, 0x1a, 0x0a]); // "TKCHAR" SUB LF
const VERSION = 1;
const HEADER_BYTES = 16;
const MAX_ENTRIES = 1024;
const MAX_NAME_BYTES = 200;

// A name the game accepts: printable ASCII, parts separated by "/", none of
// them empty, "." or "..", no "\" or ":".
function checkName(name) {
  const parts = name.split('/');
  if (!/^[\x21-\x7e]+$/.test(name) || name.length > MAX_NAME_BYTES || /[\\:]/.test(name) ||
      parts.some((part) => part === '' || part === '.' || part === '..')) {
    throw new Error(`pack: "${name}" cannot be an entry's name`);
  }
}

// entries: [[name, Buffer], ...] in the order they are stored.
function pack(entries) {
  if (entries.length < 1 || entries.length > MAX_ENTRIES) {
    throw new Error(`pack: ${entries.length} entries, not 1 to ${MAX_ENTRIES}`);
  }
  const names = entries.map(([name]) => {
    checkName(name);
    return Buffer.from(name, 'ascii');
  });
  if (new Set(entries.map(([name]) => name)).size !== entries.length) {
    throw new Error('pack: an entry\'s name comes twice');
  }
  const header = Buffer.alloc(HEADER_BYTES);
  MARK.copy(header, 0);
  header.writeUInt32LE(VERSION, 8);
  header.writeUInt32LE(entries.length, 12);
  let offset = HEADER_BYTES + names.reduce((sum, name) => sum + 2 + name.length + 8, 0);
  const index = entries.map(([, data], i) => {
    const name = names[i];
    const record = Buffer.alloc(2 + name.length + 8);
    record.writeUInt16LE(name.length, 0);
    name.copy(record, 2);
    record.writeUInt32LE(offset, 2 + name.length);
    record.writeUInt32LE(data.length, 6 + name.length);
    offset += data.length;
    return record;
  });
  if (offset > 0xffffffff) throw new Error('pack: the entries do not fit in 4 GB');
  return Buffer.concat([header, ...index, ...entries.map(([, data]) => data)]);
}

// The manifest and every PNG frame of `folder`.
function packFolder(folder) {
  const frames = fs.readdirSync(path.join(folder, 'frames'))
    .filter((name) => name.endsWith('.png'))
    .sort();
  return pack([
    ['manifest.json', fs.readFileSync(path.join(folder, 'manifest.json'))],
    ...frames.map((name) => [`frames/${name}`, fs.readFileSync(path.join(folder, 'frames', name))]),
  ]);
}

module.exports = { pack, packFolder };

if (require.main === module) {
  const [out, folder] = process.argv.slice(2);
  if (!out || !folder) {
    console.error('usage: pack.js OUT.acs FOLDER');
    process.exit(2);
  }
  fs.writeFileSync(out, packFolder(folder));
}
