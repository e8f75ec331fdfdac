// Draws the page's app icons (web/icono-192.png, web/icono-512.png): four bit cells, 1011, as
// the page draws a pattern, white on the page's blue, inside the middle 60% so that a round or
// rounded mask leaves them whole. A small PNG writer (RGB, no filter) on node's zlib; run it
// again after changing the drawing: `node web/tests/make_icons.js`.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';

const web = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');

const kBlue = [0x0b, 0x5c, 0xad];
const kWhite = [0xff, 0xff, 0xff];
const kPattern = '1011';

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'ascii');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

export function png(size, pixel) {
  const rows = [];
  for (let y = 0; y < size; ++y) {
    const row = Buffer.alloc(1 + size * 3);  // filter byte 0: none
    for (let x = 0; x < size; ++x) row.set(pixel(x, y), 1 + x * 3);
    rows.push(row);
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header.set([8, 2, 0, 0, 0], 8);  // 8 bits a sample, RGB
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(Buffer.concat(rows), { level: 9 })),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

// The colour at (x, y): the cells are rounded squares 12% of the icon wide, 3% apart; a 1 is
// filled, a 0 is its outline.
function icon(size) {
  const cell = 0.12 * size;
  const gap = 0.03 * size;
  const left = (size - kPattern.length * cell - (kPattern.length - 1) * gap) / 2;
  const top = (size - cell * 1.25) / 2;
  const radius = 0.2 * cell;
  const line = Math.max(2, 0.12 * cell);
  const inside = (x, y, x0, y0, w, h, r) => {
    const dx = Math.max(x0 + r - x, 0, x - (x0 + w - r));
    const dy = Math.max(y0 + r - y, 0, y - (y0 + h - r));
    return x >= x0 && x < x0 + w && y >= y0 && y < y0 + h && dx * dx + dy * dy <= r * r;
  };
  return (x, y) => {
    for (let i = 0; i < kPattern.length; ++i) {
      const x0 = left + i * (cell + gap);
      const h = cell * 1.25;
      if (!inside(x + 0.5, y + 0.5, x0, top, cell, h, radius)) continue;
      if (kPattern[i] === '1') return kWhite;
      const hollow = inside(x + 0.5, y + 0.5, x0 + line, top + line, cell - 2 * line,
        h - 2 * line, Math.max(0, radius - line));
      return hollow ? kBlue : kWhite;
    }
    return kBlue;
  };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  for (const size of [192, 512]) {
    fs.writeFileSync(path.join(web, `icono-${size}.png`), png(size, icon(size)));
  }
}
