// The page's own small rules, at their limits: which byte row and column an offset falls in,
// how many rows and font columns fit, the log's line ends, the splitter's bounds, the export
// name of a node, and which stored settings are taken.
import { expect, test } from "@playwright/test";
import { cellOf, rowCount } from "../src/bytes";
import { columnsFor } from "../src/font";
import { crlfLines } from "../src/log";
import { clampSize } from "../src/layout";
import { hitCount } from "../src/find";
import { nameFor } from "../src/exports";
import { isBoolArray, isIntIn } from "../src/settings";
import type { NodeInfo } from "../src/core-api";

test("bytes view: rows for a size and the cell of an offset, at the node's edges", () => {
  const rows: [number, number][] = [[0, 0], [1, 1], [15, 1], [16, 1], [17, 2], [-5, 0]];
  for (const [size, count] of rows) expect(rowCount(size), `size ${size}`).toBe(count);
  const base = 0x100, size = 0x21;
  const cells: [number, ReturnType<typeof cellOf>][] = [
    [base - 1, undefined], [base, { row: 0, column: 0 }], [base + 15, { row: 0, column: 15 }],
    [base + 16, { row: 1, column: 0 }], [base + size - 1, { row: 2, column: 0 }], [base + size, undefined],
    [base + 0.5, undefined],
  ];
  for (const [at, cell] of cells) expect(cellOf(at, base, size), `offset ${at}`).toEqual(cell);
  expect(cellOf(0, 0, 0)).toBeUndefined();
});

test("font picture: columns that fit the width at a zoom, never none", () => {
  const cases: [number, number, number, number][] = [
    // width, cell width, zoom, columns
    [100, 5, 1, 20], [99, 5, 1, 19], [100, 5, 2, 10], [4, 5, 1, 1], [0, 5, 1, 1], [100, 0, 1, 1], [160, 10, 8, 2],
  ];
  for (const [width, cell, zoom, columns] of cases) expect(columnsFor(width, cell, zoom), `${width}/${cell}@${zoom}`).toBe(columns);
});

test("log copy: CR LF after every line, none for no lines", () => {
  const cases: [string, string][] = [
    ["", ""], ["a", "a\r\n"], ["a\n", "a\r\n"], ["a\nb", "a\r\nb\r\n"], ["a\r\nb\n", "a\r\nb\r\n"], ["\n", "\r\n"],
  ];
  for (const [text, lines] of cases) expect(crlfLines(text), JSON.stringify(text)).toBe(lines);
});

test("splitter: a size stays within its bounds, the least when the room is smaller", () => {
  const cases: [number, number, number, number][] = [[50, 64, 500, 64], [64, 64, 500, 64], [300, 64, 500, 300], [501, 64, 500, 500], [300, 64, 10, 64]];
  for (const [size, min, max, got] of cases) expect(clampSize(size, min, max)).toBe(got);
});

test("find count and export names", () => {
  expect([0, 1, 2].map(hitCount)).toEqual(["0 hits", "1 hit", "2 hits"]);
  const node = (id: number, position: string) => ({ id, position } as NodeInfo);
  const files = [
    { name: "2.1.10_00000010_Magyar.tsv", kind: "tsv" as const },
    { name: "2.1.1_00000001_English.tsv", kind: "tsv" as const },
    { name: "fonts/2.2.1.1_Small_5x7.png", kind: "png" as const, id: 42 },
  ];
  expect(nameFor(files, node(7, "2.1.1"), "tsv")).toBe("2.1.1_00000001_English.tsv");
  expect(nameFor(files, node(8, "2.1.10"), "tsv")).toBe("2.1.10_00000010_Magyar.tsv");
  expect(nameFor(files, node(42, "9.9"), "png")).toBe("2.2.1.1_Small_5x7.png");
  expect(nameFor(files, node(9, "2.1"), "tsv")).toBe("2.1.tsv");
});

test("stored settings: only values of the right shape are taken", () => {
  const zoom = isIntIn(1, 8);
  const cases: [unknown, boolean][] = [[0, false], [1, true], [8, true], [9, false], [2.5, false], ["3", false], [null, false]];
  for (const [value, ok] of cases) expect(zoom(value), JSON.stringify(value)).toBe(ok);
  expect(isBoolArray([true, false])).toBe(true);
  expect(isBoolArray([true, 1])).toBe(false);
  expect(isBoolArray("true")).toBe(false);
});
