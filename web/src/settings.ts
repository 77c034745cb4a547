// What the page keeps per user between visits, in the browser's local storage: the log's kind
// toggles, the font zoom and the panel sizes. A missing, foreign or broken value falls back
// to the default; a storage that refuses writes (private mode, full) is ignored.

const Prefix = "kavex.";

export function readSetting<T>(name: string, fallback: T, valid: (value: unknown) => value is T): T {
  try {
    const text = localStorage.getItem(Prefix + name);
    if (text === null) return fallback;
    const value: unknown = JSON.parse(text);
    return valid(value) ? value : fallback;
  } catch {
    return fallback;
  }
}

export function writeSetting(name: string, value: unknown): void {
  try {
    localStorage.setItem(Prefix + name, JSON.stringify(value));
  } catch {
    // nothing to do: the setting lasts for this visit only
  }
}

export const isBoolArray = (value: unknown): value is boolean[] =>
  Array.isArray(value) && value.every((v) => typeof v === "boolean");

export const isIntIn = (low: number, high: number) => (value: unknown): value is number =>
  typeof value === "number" && Number.isInteger(value) && value >= low && value <= high;
