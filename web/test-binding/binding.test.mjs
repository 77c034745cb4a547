// The binding's answers against the native tools: the WebAssembly Session (build-web/site's
// kavex-core.js) must give the page what kavex-dump and kavex-diff give on the command line.
//
//   cd web && node --test test-binding/
//
// KAVEX_SITE names the built site (default ../build-web/site), KAVEX_BUILD the native build
// folder with kavex-dump and kavex-diff (default ../build).
import { test, before } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { createRequire } from "node:module";
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import { PNG } from "pngjs";

const here = dirname(fileURLToPath(import.meta.url));
const site = resolve(process.env.KAVEX_SITE ?? join(here, "..", "..", "build-web", "site"));
const build = resolve(process.env.KAVEX_BUILD ?? join(here, "..", "..", "build"));
const samples = join(site, "samples");
const sampleFls = join(samples, "kavex-sample.fls");
const dumpTool = join(build, "kavex-dump");
const diffTool = join(build, "kavex-diff");

let core;
before(async () => {
  const KavexCore = createRequire(import.meta.url)(join(site, "kavex-core.js"));
  core = await KavexCore();
});

// A session with the file open (its bytes under its bare name); the caller deletes it.
function openSession(path, bytes = readFileSync(path), name = path.split("/").pop()) {
  const session = new core.Session();
  const result = JSON.parse(session.open(new Uint8Array(bytes), name));
  return { session, result };
}

function nativeDump(args, cwd = samples) {
  return spawnSync(dumpTool, args, { cwd, encoding: "utf8" });
}

// Every node below id, depth first, each child fetched as the page fetches it.
function walk(session, id = 0, depth = 0, out = []) {
  const node = JSON.parse(session.node(id));
  out.push({ ...node, depth });
  for (const child of JSON.parse(session.children(id))) walk(session, child.id, depth + 1, out);
  return out;
}

test("opening: images are shown, files without one are refused with the viewer's reason", () => {
  const cases = [
    { name: "kavex-sample.fls", bytes: readFileSync(sampleFls), ok: true },
    { name: "kavex-sample.wt", bytes: readFileSync(join(samples, "kavex-sample.wt")), ok: true },
    { name: "empty.fls", bytes: Buffer.alloc(0), ok: false, reason: "Could not show empty.fls: the file is empty. The log has the details." },
    { name: "zeros.fls", bytes: Buffer.alloc(4096), ok: false,
      reason: "Could not show zeros.fls: no MCU, PPM or EEPROM area was found in it. The log has the details." },
  ];
  for (const c of cases) {
    const { session, result } = openSession(null, c.bytes, c.name);
    assert.equal(result.ok, c.ok, c.name);
    const log = JSON.parse(session.log(0));
    assert.match(log.records[0].line, new RegExp(`Loading file: ${c.name.replace(".", "\\.")}`), c.name);
    if (c.ok) {
      assert.equal(result.caption, `${c.name} - Kavex v0.10 TEST ONLY`);
      assert.equal(result.root.id, 0);
      assert.equal(result.root.position, "0");
    } else {
      assert.equal(result.reason, c.reason);
      assert.equal(session.children(0), "[]", "nothing of a refused file stays");
    }
    session.delete();
  }
});

test("the tree: every node, fetched as the page does, is kavex-dump --all's tree", () => {
  for (const sample of ["kavex-sample.fls", "kavex-sample.wt"]) {
    const { session } = openSession(join(samples, sample));
    const lines = walk(session).map((n, i) => `${"  ".repeat(n.depth)}${n.kind} ${i === 0 ? sample : n.caption}`);
    const dump = nativeDump(["--all", sample]).stdout.split("\n\n")[0].split("\n");
    assert.deepEqual(lines, dump, sample);
    // Records of the same builds, in the same order, as kavex-dump's log lines.
    const records = JSON.parse(session.log(0)).records.map((r) => r.line);
    const logged = nativeDump(["--all", sample]).stdout.split("\n\n")[1].trimEnd().split("\n");
    assert.deepEqual(records, logged, sample);
    session.delete();
  }
});

test("details: each panel's labelled values and lists are kavex-dump --details' lines", () => {
  const { session } = openSession(sampleFls);
  const nodes = walk(session);
  const dump = nativeDump(["--all", "--details", "kavex-sample.fls"]).stdout.split("\n\n")[0].split("\n");
  // The detail lines under each node line, in order.
  const detailLines = [];
  for (const line of dump) {
    if (/^\s*- /.test(line)) detailLines[detailLines.length - 1].push(line.trim().slice(2));
    else detailLines.push([]);
  }
  const panels = new Set();
  nodes.forEach((n, i) => {
    const d = JSON.parse(session.details(n.id));
    panels.add(d.panel);
    assert.match(d.place, /^@[0-9A-F]{8} \+[0-9A-F]{8}/, n.position);
    if (d.panel === "area") return;  // the area panels' fields are no detail lines
    const shown = d.rows.map((r) => `${r.label} ${r.value}`.trimEnd());
    if (d.text) shown.push(`Language: ${d.text.language}`, `Charset: ${d.text.charset}`);
    for (const line of shown) assert.ok(detailLines[i].includes(line), `${n.position}: ${line}`);
    if (d.text) {
      const entries = detailLines[i].filter((l) => /^Entry \d+: /.test(l));
      assert.deepEqual(d.text.rows.map((r) => `Entry ${r.index}: ${r.entry}`), entries, n.position);
    }
  });
  for (const panel of ["area", "chunk", "text", "font"]) assert.ok(panels.has(panel), panel);
  assert.deepEqual(JSON.parse(session.details(999999)), {}, "a bad id gives an empty answer");
  session.delete();
});

test("bytes: rows are cut at the node's end, bytes and hex are the node's own", () => {
  const { session } = openSession(sampleFls);
  const chunk = walk(session).find((n) => n.kind === "TChunk");
  const all = JSON.parse(session.bytesRows(chunk.id, 0, 1e9));
  const rows = Math.ceil(all.size / 16);
  assert.equal(all.rows.length, rows);
  assert.equal(all.headerSize, 20);
  const extracted = execFileSync(dumpTool, ["--extract", chunk.position, "--out", "-", "kavex-sample.fls"], { cwd: samples });
  const bytes = Buffer.from(session.nodeBytes(chunk.id));
  assert.ok(bytes.equals(extracted), "nodeBytes is --extract's output");
  const hex = (b) => [...b].map((x) => x.toString(16).toUpperCase().padStart(2, "0")).join(" ");
  assert.equal(all.rows[0].hex, hex(bytes.subarray(0, 16)));
  assert.equal(all.rows[0].offset, all.offset.toString(16).toUpperCase().padStart(8, "0"));
  // first row, last row, one past it, a count beyond the end
  const cases = [[0, 1, 1], [rows - 1, 1, 1], [rows, 1, 0], [rows - 2, 10, 2], [0, 0, 0]];
  for (const [first, count, want] of cases)
    assert.equal(JSON.parse(session.bytesRows(chunk.id, first, count)).rows.length, want, `${first}+${count}`);
  assert.equal(all.rows[rows - 1].hex, hex(bytes.subarray((rows - 1) * 16)));
  const limits = [[0, 3, hex(bytes.subarray(0, 3))], [all.size - 1, 5, hex(bytes.subarray(all.size - 1))], [all.size, 1, ""], [-1, 1, ""]];
  for (const [from, count, want] of limits) assert.equal(session.bytesHex(chunk.id, from, count), want, `${from}+${count}`);
  session.delete();
});

test("go to offset: the deepest node holding the offset, refusals as the viewer words them", () => {
  const { session } = openSession(sampleFls);
  const size = readFileSync(sampleFls).length;
  const cases = [
    { text: "0", ok: true },
    { text: `0x${(size - 1).toString(16)}`, ok: true },
    { text: `${size}`, ok: false, message: `The image has no byte at offset ${size}.` },
    { text: "zz", ok: false, message: "zz is not an offset: give it in decimal or hex (0x1F0, $1F0, 1F0h)" },
    { text: " -1 ", ok: false, message: "-1 is not an offset: give it in decimal or hex (0x1F0, $1F0, 1F0h)" },
    { text: "2002Ch", ok: true, kind: "TChunk" },
    { text: "$20040", ok: true, kind: "TTextSubchunk" },
  ];
  for (const c of cases) {
    const r = JSON.parse(session.goToOffset(c.text));
    assert.equal(r.ok, c.ok, c.text);
    if (!c.ok) { assert.equal(r.message, c.message); continue; }
    const node = JSON.parse(session.node(r.id));
    const bytes = JSON.parse(session.bytesRows(r.id, 0, 0));
    assert.ok(r.offset >= bytes.offset && r.offset < bytes.offset + bytes.size, c.text);
    assert.equal(r.path[0], 0);
    assert.equal(r.path[r.path.length - 1], r.id);
    if (c.kind) assert.equal(node.kind, c.kind, c.text);
    // nothing below it holds the offset
    for (const child of JSON.parse(session.children(r.id))) {
      const b = JSON.parse(session.bytesRows(child.id, 0, 0));
      assert.ok(!(r.offset >= b.offset && r.offset < b.offset + b.size), `${c.text}: ${child.position}`);
    }
  }
  session.delete();
});

test("find: text tables always, case folded unless asked, hits where the viewer lists them", () => {
  const { session } = openSession(sampleFls);
  const cases = [
    { word: "menu", matchCase: false, texts: ["Menu"] },
    { word: "menu", matchCase: true, texts: [] },
    { word: "Menü", matchCase: true, texts: ["Menü"] },
    { word: "MENÜ", matchCase: false, texts: ["Menü"] },
    { word: "", matchCase: false, texts: [] },
  ];
  for (const c of cases) {
    const r = JSON.parse(session.find(c.word, false, false, c.matchCase));
    assert.deepEqual(r.hits.map((h) => h.text).filter((t) => c.texts.includes(t)), r.hits.map((h) => h.text), c.word);
    for (const t of c.texts) assert.ok(r.hits.some((h) => h.text === t), `${c.word}: ${t}`);
    for (const h of r.hits) {
      const found = h.text.substr(h.matchStart, h.matchLength);
      assert.equal(c.matchCase ? found : found.toLowerCase(), c.matchCase ? c.word : c.word.toLowerCase());
      const d = JSON.parse(session.details(h.id));
      assert.equal(d.text.rows[h.row].entry, h.text, "the hit's row is its entry's row");
      assert.equal(h.path[h.path.length - 1], h.id);
    }
    if (c.word) assert.equal(r.message, r.hits.length === 1 ? "1 hit" : `${r.hits.length} hits`);
  }
  session.delete();
});

test("the log: kinds, lines as copied, clearing", () => {
  const { session } = openSession(sampleFls);
  const kinds = JSON.parse(session.kinds());
  assert.deepEqual(kinds.map((k) => k.name), ["Info", "Notice", "Warning", "Error", "Debug"]);
  const log = JSON.parse(session.log(0));
  assert.equal(log.next, log.records.length);
  assert.deepEqual(JSON.parse(session.log(log.next)).records, []);
  assert.equal(JSON.parse(session.log(log.next - 1)).records.length, 1);
  assert.equal(session.logLines(JSON.stringify([0, 1, 99999])), `${log.records[0].line}\n${log.records[1].line}\n`);
  assert.equal(session.logLines("not json"), "");
  session.clearLog();
  assert.equal(JSON.parse(session.log(0)).next, 0);
  session.delete();
});

test("problems: a damaged copy's count and its marked nodes, as kavex-dump --check finds them", () => {
  const dir = mkdtempSync(join(tmpdir(), "kavex-binding-"));
  try {
    const bytes = Buffer.from(readFileSync(sampleFls));
    const clean = openSession(null, bytes, "clean.fls");
    walk(clean.session);
    assert.deepEqual(JSON.parse(clean.session.problems()), { count: "", errors: 0, warnings: 0 });
    assert.equal(clean.session.nextProblem(-1, 1), "{}");
    clean.session.delete();
    // A byte of the first text table changed (its chunk's checksum no longer matches), and the
    // image cut inside that chunk (its subchunks fail to build). The tree is walked twice, as a
    // page asks for children again: a failed build is not logged twice.
    const flipped = Buffer.from(bytes);
    flipped[0x20040 + 40] ^= 0xFF;
    for (const [name, damaged] of [["flipped.fls", flipped], ["cut.fls", bytes.subarray(0, 0x2002c + 0x300)]]) {
      writeFileSync(join(dir, name), damaged);
      const check = nativeDump(["--check", name], dir).stdout;
      const { session } = openSession(join(dir, name));
      walk(session);
      walk(session);
      const p = JSON.parse(session.problems());
      assert.ok(p.errors + p.warnings > 0, name);
      assert.ok(check.startsWith(`${name}: ${p.count}; first: `), `${check} / ${p.count}`);
      const first = JSON.parse(session.nextProblem(-1, 1));
      const last = JSON.parse(session.nextProblem(-1, -1));
      assert.ok(first.id > 0 && last.id > 0, name);
      const record = JSON.parse(session.log(first.record)).records[0];
      assert.ok(check.trimEnd().endsWith(record.line), `${name}: the first problem's record is --check's first line`);
      assert.ok(["warning", "error"].includes(JSON.parse(session.node(first.id)).problem), name);
      assert.ok(["warningBelow", "errorBelow"].includes(JSON.parse(session.node(0)).problem), name);
      // Collapsed and opened again, a node whose build stopped is built again and logs again,
      // as in the viewer; a node built whole adds nothing.
      const nodes = walk(session);
      const before = JSON.parse(session.log(0)).next;
      for (const n of nodes) session.children(n.id);
      assert.equal(JSON.parse(session.log(0)).next, before, `${name}: without a collapse`);
      for (const n of nodes) { session.collapsed(n.id); session.children(n.id); }
      const after = JSON.parse(session.log(0)).next;
      if (name === "cut.fls") assert.ok(after > before, `${name}: the stopped build runs again`);
      else assert.equal(after, before, name);
      session.delete();
    }
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});

// The pixels of a PNG file, as RGB rows.
function pixels(bytes) {
  const png = PNG.sync.read(Buffer.from(bytes));
  const rgb = [];
  for (let i = 0; i < png.data.length; i += 4) rgb.push(png.data[i], png.data[i + 1], png.data[i + 2]);
  return { width: png.width, height: png.height, rgb: Buffer.from(rgb) };
}

test("exports: the files kavex-dump writes, under its names (TSV bytes, PNG pixels)", () => {
  const dir = mkdtempSync(join(tmpdir(), "kavex-binding-"));
  try {
    execFileSync(dumpTool, ["--export-texts", join(dir, "texts"), "--export-fonts", join(dir, "fonts"), "kavex-sample.fls"], { cwd: samples });
    const { session } = openSession(sampleFls);
    for (const [list, folder, kind] of [[session.exportTexts(), "texts", "tsv"], [session.exportFonts(), "fonts", "png"]]) {
      const files = JSON.parse(list).files;
      assert.deepEqual(files.map((f) => f.name).sort(), readdirSync(join(dir, folder)).sort(), folder);
      for (const f of files) {
        assert.equal(f.kind, kind);
        const ours = session.exportFile(f.name);
        const theirs = readFileSync(join(dir, folder, f.name));
        const one = kind === "tsv" ? session.exportText(f.id) : session.exportFont(f.id);
        assert.ok(Buffer.from(one).equals(Buffer.from(ours)), `${f.name}: by id and by name`);
        if (kind === "tsv") assert.ok(Buffer.from(ours).equals(theirs), f.name);
        else assert.deepEqual(pixels(ours), pixels(theirs), f.name);
      }
    }
    assert.equal(session.exportFile("no-such.tsv").length, 0);
    session.delete();
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
});

test("font sheet: pixels for the canvas match the exported sheet, glyph texts by cell", () => {
  const { session } = openSession(sampleFls);
  const font = walk(session).find((n) => n.kind === "TFontEntry");
  const name = JSON.parse(session.exportFonts()).files.find((f) => f.id === font.id).name;
  const sheet = JSON.parse(session.fontSheet(font.id, 16));
  const rgba = session.fontPixels(font.id, 16);
  assert.equal(rgba.length, sheet.width * sheet.height * 4);
  const rgb = Buffer.from([...rgba].filter((_, i) => i % 4 !== 3));
  assert.deepEqual({ width: sheet.width, height: sheet.height, rgb }, pixels(session.exportFile(name)));
  const cw = sheet.cellWidth, chh = sheet.cellHeight;
  const cases = [
    [0, 0, /^U\+[0-9A-F]{4}/],
    [cw * sheet.columns - 1, 0, /^U\+[0-9A-F]{4}/],
    [cw * sheet.columns, 0, /^$/],
    [-1, 0, /^$/],
    [0, chh * sheet.rows, /^$/],
  ];
  for (const [x, y, want] of cases) assert.match(session.glyphAt(font.id, 16, x, y), want, `${x},${y}`);
  assert.equal(session.fontPixels(0, 16).length, 0, "the root is no font");
  session.delete();
});

test("comparing: the changed sample's summary, marks, sides and kavex-diff's report", () => {
  const { session } = openSession(sampleFls);
  const changed = readFileSync(join(samples, "kavex-sample-changed.fls"));
  const r = JSON.parse(session.compareWith(new Uint8Array(changed), "kavex-sample-changed.fls"));
  assert.equal(r.ok, true);
  assert.equal(r.summary, "6 changed, 0 added, 0 removed");
  assert.equal(r.caption, "kavex-sample.fls ~ kavex-sample-changed.fls - Kavex v0.10 TEST ONLY");
  const nodes = walk(session);
  const own = nodes.filter((n) => ["changed", "added", "removed"].includes(n.compare));
  assert.ok(own.length > 0);
  // F7 from the root visits every own difference in tree order and comes round again.
  let at = 0;
  const seen = [];
  for (let i = 0; i < own.length; i++) {
    at = JSON.parse(session.nextDifference(at, 1)).id;
    seen.push(at);
  }
  assert.deepEqual(seen, own.map((n) => n.id));
  assert.equal(JSON.parse(session.nextDifference(at, 1)).id, own[0].id);
  assert.equal(JSON.parse(session.nextDifference(own[0].id, -1)).id, own[own.length - 1].id);
  const kinds = new Set(own.map((n) => JSON.parse(session.sides(n.id)).kind));
  assert.ok(kinds.has("text"));
  const text = own.find((n) => JSON.parse(session.sides(n.id)).kind === "text");
  const sides = JSON.parse(session.sides(text.id));
  assert.match(sides.counts, /^Text entries: /);
  assert.ok(sides.rows.some((row) => row.change === "changed" && row.left !== row.right));
  const diff = spawnSync(diffTool, ["--html", "-", "kavex-sample.fls", "kavex-sample-changed.fls"], { cwd: samples, encoding: "utf8" });
  assert.equal(diff.status, 1, "kavex-diff: the images differ");
  const html = diff.stdout;
  assert.equal(session.compareReportHtml(), html);
  session.stopComparing();
  assert.equal(JSON.parse(session.node(0)).compare, undefined);
  assert.equal(session.compareReportHtml(), "");
  const refused = JSON.parse(session.compareWith(new Uint8Array(0), "empty.fls"));
  assert.equal(refused.ok, false);
  assert.equal(refused.reason, "Could not compare with empty.fls: the file is empty. The log has the details.");
  session.delete();
});
