// The marks beside a node's caption: problems (red disc "!" error, amber triangle "!"
// warning; fainter and without the "!" when the problem is below the node) and comparison
// (blue diamond "~" changed, green square "+" added, red disc "−" removed, a faint diamond
// when the difference is below). Colour never carries the meaning alone: each has its shape,
// its sign and a title.
import type { CompareMark, Problem } from "./core-api";
import { el } from "./dom";

const ProblemBadges: Record<Exclude<Problem, "none">, [string, string, string]> = {
  error: ["badge error", "!", "error"],
  warning: ["badge warning", "!", "warning"],
  errorBelow: ["badge error faint", "", "error below"],
  warningBelow: ["badge warning faint", "", "warning below"],
};

const CompareBadges: Record<Exclude<CompareMark, "none">, [string, string, string]> = {
  changed: ["badge changed", "~", "changed"],
  added: ["badge added", "+", "added"],
  removed: ["badge removed", "\u2212", "removed"],
  below: ["badge changed faint", "", "differences below"],
};

function badge([cls, sign, title]: [string, string, string]): HTMLElement {
  return el("span", { class: cls, title, "aria-label": title, "data-mark": title }, el("span", { class: "sign" }, sign));
}

export function problemBadge(problem: Problem | undefined): HTMLElement | null {
  return problem && problem !== "none" ? badge(ProblemBadges[problem]) : null;
}

export function compareBadge(mark: CompareMark | undefined): HTMLElement | null {
  return mark && mark !== "none" ? badge(CompareBadges[mark]) : null;
}
