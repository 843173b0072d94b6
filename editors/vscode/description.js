// Project descriptions (.gdm) as the editor needs them: which files are sources of the
// project. Lines are cut the way the compiler reads them, so a name the compiler opens
// is the name matched here. No VS Code API here: the tests load it under plain Node.
'use strict';
const path = require('path');

/**
 * The lines of a description as the compiler reads them: split on line feeds, a UTF-8
 * byte order mark dropped, each line cut at a zero byte and stripped of trailing bytes
 * 0x01 to 0x20 (so of a carriage return); a final line feed ends the last line and
 * starts no new one.
 * @param {Uint8Array} bytes
 * @returns {string[]}
 */
function descriptionLines(bytes) {
  const decoder = new TextDecoder('utf-8');
  const lines = [];
  let start = bytes.length >= 3 && bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf ? 3 : 0;
  while (start < bytes.length) {
    let end = bytes.indexOf(0x0a, start);
    if (end < 0) end = bytes.length;
    let last = bytes.indexOf(0x00, start);
    if (last < 0 || last > end) last = end;
    while (last > start && bytes[last - 1] >= 0x01 && bytes[last - 1] <= 0x20) last -= 1;
    lines.push(decoder.decode(bytes.subarray(start, last)));
    start = end + 1;
  }
  return lines;
}

/**
 * The source files a description lists (lines 4 and on), as absolute paths taken from
 * the description's folder, in compile order without repeats. Empty lines name no file.
 * @param {string} descriptionPath absolute path of the .gdm file
 * @param {Uint8Array} bytes its content
 * @returns {string[]}
 */
function sourceFiles(descriptionPath, bytes) {
  const folder = path.dirname(descriptionPath);
  const seen = new Set();
  const files = [];
  for (const name of descriptionLines(bytes).slice(3)) {
    if (name === '') continue;
    const file = path.resolve(folder, name);
    const key = pathKey(file);
    if (seen.has(key)) continue;
    seen.add(key);
    files.push(file);
  }
  return files;
}

/**
 * A key that is equal for two spellings of one path: normalized, and without case where
 * the file system usually ignores it.
 * @param {string} file absolute path
 * @param {string} [platform]
 */
function pathKey(file, platform = process.platform) {
  const normal = path.normalize(file);
  return platform === 'win32' || platform === 'darwin' ? normal.toLowerCase() : normal;
}

module.exports = { descriptionLines, sourceFiles, pathKey };
