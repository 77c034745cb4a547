// Splitters between the page's panels; each keeps its size between visits.
import { isIntIn, readSetting, writeSetting } from "./settings";

export interface SplitterOptions {
  /** the stored setting's name */
  name: string;
  /** the panel whose size the splitter sets (the one before it) */
  panel: HTMLElement;
  handle: HTMLElement;
  direction: "horizontal" | "vertical";
  initial: number;
  min?: number;
  /** the size grows as the pointer goes left/up (a panel after the handle) */
  reversed?: boolean;
}

export function clampSize(size: number, min: number, max: number): number {
  return Math.round(Math.min(Math.max(size, min), Math.max(min, max)));
}

export function splitter(o: SplitterOptions): void {
  const min = o.min ?? 64;
  const prop = o.direction === "horizontal" ? "width" : "height";
  const apply = (size: number) => {
    o.panel.style.flex = `0 0 ${size}px`;
    o.panel.style[prop] = `${size}px`;
  };
  let size = readSetting(o.name, o.initial, isIntIn(min, 10000));
  apply(size);
  o.handle.setAttribute("role", "separator");
  o.handle.setAttribute("aria-orientation", o.direction === "horizontal" ? "vertical" : "horizontal");
  o.handle.addEventListener("pointerdown", (down) => {
    down.preventDefault();
    o.handle.setPointerCapture(down.pointerId);
    const start = o.direction === "horizontal" ? down.clientX : down.clientY;
    const startSize = size;
    const parent = o.panel.parentElement!;
    const max = (o.direction === "horizontal" ? parent.clientWidth : parent.clientHeight) - min;
    const move = (event: PointerEvent) => {
      const now = o.direction === "horizontal" ? event.clientX : event.clientY;
      const delta = (now - start) * (o.reversed ? -1 : 1);
      size = clampSize(startSize + delta, min, max);
      apply(size);
    };
    const up = () => {
      o.handle.removeEventListener("pointermove", move);
      o.handle.removeEventListener("pointerup", up);
      writeSetting(o.name, size);
    };
    o.handle.addEventListener("pointermove", move);
    o.handle.addEventListener("pointerup", up);
  });
}
