// Small DOM helpers. Image texts always go in as text (textContent), never as markup.

export function el<K extends keyof HTMLElementTagNameMap>(
  tag: K,
  attrs: Record<string, string> = {},
  ...children: (Node | string)[]
): HTMLElementTagNameMap[K] {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attrs)) {
    if (name === "class") node.className = value;
    else node.setAttribute(name, value);
  }
  for (const child of children) node.append(typeof child === "string" ? document.createTextNode(child) : child);
  return node;
}

export function byId<T extends HTMLElement = HTMLElement>(id: string): T {
  const node = document.getElementById(id);
  if (!node) throw new Error(`the page has no element #${id}`);
  return node as T;
}

export function clear(node: Element): void {
  node.replaceChildren();
}

/** Offers bytes or text as a download under the name. */
export function download(name: string, content: Uint8Array | string, type: string): void {
  const part: BlobPart = typeof content === "string" ? content : new Uint8Array(content);
  const url = URL.createObjectURL(new Blob([part], { type }));
  const link = el("a", { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 0);
}

export async function copyText(text: string): Promise<void> {
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    // No clipboard permission (a page opened from a file, an old browser): the hidden
    // text area and the copy command still work there.
    const area = el("textarea");
    area.value = text;
    document.body.append(area);
    area.select();
    document.execCommand("copy");
    area.remove();
  }
}

/** A short line in the status strip that stays until the next one. */
export function status(text: string): void {
  byId("status").textContent = text;
}
