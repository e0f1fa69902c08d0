// The worksheet maker: random problems of a chosen kind from the core's
// generator, set out on A4 pages with a header, numbers and (on request)
// squares and answer pages; a live preview of the first page, printed (and
// saved as PDF) through the browser's print dialog. Loaded only when opened.
import type { BoardModule, Session } from "../gen/hissan_board.mjs";
import { opColours, paintOps, type Op, type PaintTarget } from "./board";
import "./sheet.css";

// A problem as the session returns it: the expression line and the working,
// [0] as the practice problem and [1] as the finished board, in board pixels.
interface Problem {
  expression: string;
  answer: string;
  line: [Op[], Op[]];
  work: [Op[], Op[]];
  squares: { left: number; columns: number; size: number; rows: number[] };
  em: number;
}

type OpArray = [number, number, number, number, number, number, number, number, number, number, number, number, number, number, number, string];

function opOf(a: OpArray): Op {
  return {
    kind: a[0], stepOnly: a[2] === 1, bold: a[3] === 1, underline: a[4] === 1, dotted: a[5] === 1,
    x1: a[6], y1: a[7], x2: a[8], y2: a[9], size: a[10], width: a[11], units: a[12], role: a[13],
    rgb: a[14] >>> 0, text: a[15],
  };
}

export interface Choices {
  pattern: string;
  count: number;
  cols: number; // problems across a page, 1 to 10
  rows: number; // and down it
  carry: number; // 0 either, 1 yes, 2 no
  remainder: number;
  quotientDigits: number; // 0 any
  zeroInQuotient: boolean;
  noTrivial: boolean;
  decimals: number; // -1 any
  unique: boolean;
  squares: boolean;
  expressionOnly: boolean; // problem pages show the expression line alone
  circled: boolean;
  title: string;
  answers: boolean;
  seed: string;
}

const DEFAULTS: Choices = {
  pattern: "dd*d", count: 12, cols: 3, rows: 4, carry: 0, remainder: 0, quotientDigits: 0,
  zeroInQuotient: false, noTrivial: false, decimals: -1, unique: false, squares: true,
  expressionOnly: false, circled: false, title: "計算プリント", answers: true, seed: "",
};

// The kinds of problems offered first; any other pattern can be typed.
const PRESETS: [string, string][] = [
  ["dd+dd", "2けた＋2けた"], ["ddd+ddd", "3けた＋3けた"], ["dd-dd", "2けた－2けた"],
  ["ddd-ddd", "3けた－3けた"], ["dd*d", "2けた×1けた"], ["ddd*dd", "3けた×2けた"],
  ["dd/d", "2けた÷1けた"], ["ddd/d", "3けた÷1けた"], ["ddd/dd", "3けた÷2けた"],
  ["d.d*d.d", "小数×小数"], ["dd.d+d.dd", "小数＋小数"],
];
const STORE = "hissan.sheet";

// ---- the pages --------------------------------------------------------------------------

// An A4 page in CSS pixels (96 a inch), as the boards are measured.
const PAGE_W = 793.7, PAGE_H = 1122.5;
const MARGIN = 42;
const HEADER_H = 104;
const SQUARE_PX = 37.8; // 1 cm
const PAPER_SCHEME = 1; // the whiteboard's colours

function esc(text: string): string {
  return text.replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]!);
}

// Records the painting of ops as SVG elements.
class SvgPen implements PaintTarget {
  out: string[] = [];
  font = "";
  fillStyle: string | CanvasGradient | CanvasPattern = "#000";
  strokeStyle: string | CanvasGradient | CanvasPattern = "#000";
  lineWidth = 1;
  lineCap: CanvasLineCap = "butt";
  textBaseline: CanvasTextBaseline = "alphabetic";
  private dash: number[] = [];
  private path = "";

  fillText(text: string, x: number, y: number): void {
    const m = /^(bold )?([\d.]+)px (.*)$/.exec(this.font);
    const weight = m?.[1] ? ' font-weight="700"' : "";
    this.out.push(
      `<text x="${x}" y="${y}" font-size="${m?.[2] ?? 16}" font-family="${esc(m?.[3] ?? "sans-serif")}"${weight} fill="${String(this.fillStyle)}">${esc(text)}</text>`,
    );
  }
  fillRect(x: number, y: number, w: number, h: number): void {
    this.out.push(`<rect x="${x}" y="${y}" width="${w}" height="${h}" fill="${String(this.fillStyle)}"/>`);
  }
  setLineDash(segments: Iterable<number>): void {
    this.dash = Array.from(segments);
  }
  beginPath(): void {
    this.path = "";
  }
  moveTo(x: number, y: number): void {
    this.path += `M${x} ${y}`;
  }
  lineTo(x: number, y: number): void {
    this.path += `L${x} ${y}`;
  }
  stroke(): void {
    const dash = this.dash.length ? ` stroke-dasharray="${this.dash.join(" ")}"` : "";
    this.out.push(
      `<path d="${this.path}" fill="none" stroke="${String(this.strokeStyle)}" stroke-width="${this.lineWidth}"${dash}/>`,
    );
  }
}

interface Box {
  x: number;
  y: number;
  w: number;
  h: number;
}
function boxOf(ops: Op[]): Box | null {
  let x1 = Infinity, y1 = Infinity, x2 = -Infinity, y2 = -Infinity;
  for (const op of ops) {
    if (op.kind > 2) continue;
    x1 = Math.min(x1, op.x1, op.x2);
    y1 = Math.min(y1, op.y1, op.y2);
    x2 = Math.max(x2, op.x1, op.x2);
    y2 = Math.max(y2, op.y1, op.y2);
  }
  return x1 <= x2 ? { x: x1, y: y1, w: x2 - x1, h: y2 - y1 } : null;
}
function union(a: Box | null, b: Box | null): Box | null {
  if (!a || !b) return a ?? b;
  const x = Math.min(a.x, b.x), y = Math.min(a.y, b.y);
  return { x, y, w: Math.max(a.x + a.w, b.x + b.w) - x, h: Math.max(a.y + a.h, b.y + b.h) - y };
}

export function numberText(index: number, circled: boolean): string {
  const n = index + 1;
  if (circled && n <= 50) {
    // ① .. ⑳, ㉑ .. ㉟, ㊱ .. ㊿
    const c = n <= 20 ? 0x2460 + n - 1 : n <= 35 ? 0x3251 + n - 21 : 0x32b1 + n - 36;
    return String.fromCodePoint(c);
  }
  return `(${n})`;
}

// The pages of a sheet as SVG documents, problem pages first, then the
// answer pages. Every cell has its number and the expression line at the
// top and the working below, each at one scale for the whole sheet.
export function sheetPages(mod: BoardModule, problems: Problem[], c: Choices): string[] {
  const cols = Math.min(10, Math.max(1, Math.round(c.cols) || 1));
  const rows = Math.min(10, Math.max(1, Math.round(c.rows) || 1));
  const perPage = cols * rows;
  const pages = Math.max(1, Math.ceil(problems.length / perPage));
  const scheme = JSON.parse(mod.Session.scheme(PAPER_SCHEME)) as number[];
  const colour = opColours(scheme);
  const sizes = new Map<number, [number, number]>();
  const metrics = (size: number): [number, number] => {
    let m = sizes.get(size);
    if (!m) sizes.set(size, (m = [mod.Session.fontPixels(size), mod.Session.cellAscent(size)]));
    return m;
  };

  const area = { x: MARGIN, y: MARGIN + HEADER_H, w: PAGE_W - 2 * MARGIN, h: PAGE_H - 2 * MARGIN - HEADER_H - 14 };
  const cellW = area.w / cols, cellH = area.h / rows;
  const pad = Math.min(10, cellW * 0.04);
  const numberPx = Math.max(11, Math.min(16, cellH * 0.07));
  const widest = numberText(problems.length - 1, c.circled);
  const numberW = (c.circled ? 1.3 : widest.length * 0.6 + 0.5) * numberPx;

  // One scale for every expression line (as large as the widest allows, up
  // to a size that reads like a printed exercise) and one for every working
  // (up to squares of about 1 cm).
  const lineBoxes = problems.map((p) => boxOf(p.line[1]));
  const squareBoxes = problems.map((p) =>
    p.squares.columns > 0 && p.squares.rows.length
      ? { x: p.squares.left, y: p.squares.rows[0], w: p.squares.columns * p.squares.size, h: p.squares.rows[p.squares.rows.length - 1] + p.squares.size - p.squares.rows[0] }
      : null,
  );
  const workBoxes = problems.map((p, i) => union(boxOf(p.work[1]), union(boxOf(p.work[0]), squareBoxes[i])));
  const em = problems.find((p) => p.em > 0)?.em ?? 53;
  let lineScale = Math.min(Math.min(30, cellH * 0.1) / em, 1);
  for (const b of lineBoxes) if (b && b.w > 0) lineScale = Math.min(lineScale, (cellW - 2 * pad - numberW) / b.w);
  let lineH = numberPx * 1.2;
  for (const b of lineBoxes) if (b) lineH = Math.max(lineH, b.h * lineScale);
  const room = { w: cellW - 2 * pad - numberW, h: cellH - 2 * pad - lineH - 10 };
  const square = problems.find((p) => p.squares.size > 0)?.squares.size ?? 52;
  let workScale = SQUARE_PX / square;
  for (const b of workBoxes)
    if (b) workScale = Math.min(workScale, room.w / Math.max(1, b.w), room.h / Math.max(1, b.h));

  // The workings stand with their right edges (the ones column) in one
  // place in every cell, as far left as the widest allows.
  let widestWork = 0;
  for (const b of workBoxes) if (b) widestWork = Math.max(widestWork, b.w);

  const header = (answer: boolean, count: number, page: number, total: number): string => {
    const s: string[] = [];
    const font = 'font-family="sans-serif"';
    const top = MARGIN;
    s.push(`<text x="${MARGIN}" y="${top + 30}" font-size="24" ${font}>${esc(c.title)}${answer ? "　答え" : ""}</text>`);
    if (!answer) {
      // 年 組 番 名前 on the first row, 月 日 and the score box on the second.
      const right = PAGE_W - MARGIN;
      const box = 112;
      const lineX = right - box - 12;
      const y1 = top + 32;
      const fields: [string, number][] = [["年", 330], ["組", 388], ["番", 446], ["名前", 474]];
      for (const [t, x] of fields) s.push(`<text x="${x}" y="${y1}" font-size="15" ${font}>${t}</text>`);
      s.push(`<path d="M300 ${y1 + 7}H${lineX}" stroke="#000" stroke-width="0.8"/>`);
      const y2 = top + 72;
      s.push(`<text x="${lineX - 150}" y="${y2}" font-size="15" ${font}>月</text>`);
      s.push(`<text x="${lineX - 70}" y="${y2}" font-size="15" ${font}>日</text>`);
      s.push(`<path d="M${lineX - 190} ${y2 + 7}H${lineX}" stroke="#000" stroke-width="0.8"/>`);
      s.push(`<rect x="${right - box}" y="${top + 6}" width="${box}" height="78" fill="none" stroke="#000" stroke-width="1.2"/>`);
      s.push(`<text x="${right - 8}" y="${top + 76}" font-size="18" text-anchor="end" ${font}>／${count}</text>`);
    }
    s.push(`<path d="M${MARGIN} ${top + HEADER_H - 12}H${PAGE_W - MARGIN}" stroke="#000" stroke-width="1"/>`);
    s.push(`<text x="${PAGE_W / 2}" y="${PAGE_H - MARGIN + 10}" font-size="11" text-anchor="middle" ${font}>${page} / ${total}</text>`);
    return s.join("");
  };

  const cell = (index: number, slot: number, answer: boolean): string => {
    const p = problems[index];
    const a = answer ? 1 : 0;
    const x = area.x + (slot % cols) * cellW, y = area.y + Math.floor(slot / cols) * cellH;
    const s: string[] = [`<rect x="${x + 2}" y="${y + 2}" width="${cellW - 4}" height="${cellH - 4}" fill="none" stroke="#b4b4b4" stroke-width="0.8"/>`];
    s.push(`<text x="${x + pad}" y="${y + pad + numberPx}" font-size="${numberPx}" font-family="sans-serif">${numberText(index, c.circled)}</text>`);
    // The expression line beside the number, their middles level.
    const lb = lineBoxes[index];
    const lineTop = y + pad + (lineH - (lb ? lb.h * lineScale : 0)) / 2;
    const pen = new SvgPen();
    if (lb) {
      pen.out.push(`<g transform="matrix(${lineScale} 0 0 ${lineScale} ${x + pad + numberW - lb.x * lineScale} ${lineTop - lb.y * lineScale})">`);
      paintOps(pen, p.line[a], p.line[a].length, colour, metrics, false);
      pen.out.push("</g>");
    }
    const wb = workBoxes[index];
    if (wb) {
      const wx = x + pad + numberW + (widestWork - wb.x - wb.w) * workScale, wy = y + pad + lineH + 10 - wb.y * workScale;
      pen.out.push(`<g transform="matrix(${workScale} 0 0 ${workScale} ${wx} ${wy})">`);
      const sq = p.squares;
      if (c.squares && sq.columns > 0) {
        // Light squares behind the digits of the working.
        let d = "";
        const right = sq.left + sq.columns * sq.size;
        for (const top of sq.rows) {
          d += `M${sq.left} ${top}H${right}M${sq.left} ${top + sq.size}H${right}`;
          for (let k = 0; k <= sq.columns; k++) d += `M${sq.left + k * sq.size} ${top}v${sq.size}`;
        }
        pen.out.push(`<path d="${d}" fill="none" stroke="#8fb8dc" stroke-width="${1.2 / workScale}"/>`);
      }
      if (answer || !c.expressionOnly) paintOps(pen, p.work[a], p.work[a].length, colour, metrics, false);
      pen.out.push("</g>");
    }
    return s.join("") + pen.out.join("");
  };

  const total = c.answers ? 2 * pages : pages;
  const out: string[] = [];
  for (let page = 0; page < total; page++) {
    const answer = page >= pages;
    const first = (answer ? page - pages : page) * perPage;
    const count = Math.min(perPage, problems.length - first);
    let body = header(answer, count, page + 1, total);
    for (let slot = 0; slot < count; slot++) body += cell(first + slot, slot, answer);
    out.push(
      `<svg xmlns="http://www.w3.org/2000/svg" class="sheet-page" viewBox="0 0 ${PAGE_W} ${PAGE_H}" width="210mm" height="297mm" role="img" aria-label="${answer ? "答え" : "問題"} ${page + 1} ページ">` +
        `<rect width="${PAGE_W}" height="${PAGE_H}" fill="#fff"/>${body}</svg>`,
    );
  }
  return out;
}

// ---- the window -------------------------------------------------------------------------

function randomSeed(): string {
  const a = new Uint32Array(2);
  crypto.getRandomValues(a);
  return ((BigInt(a[0]) << 32n) | BigInt(a[1])).toString();
}

function load(): Choices {
  try {
    const saved = JSON.parse(localStorage.getItem(STORE) ?? "{}") as Partial<Choices>;
    return { ...DEFAULTS, ...saved, seed: randomSeed() };
  } catch {
    return { ...DEFAULTS, seed: randomSeed() };
  }
}

const FORM = `
<div class="sheet-head">
  <h2>プリントを作る</h2>
  <button type="button" id="sheet-print" class="primary">印刷・PDF に保存</button>
  <button type="button" id="sheet-close">閉じる</button>
</div>
<div class="sheet-body">
<p id="sheet-message" class="sheet-message" role="alert"></p>
<form id="sheet-form" class="sheet-form" autocomplete="off">
 <fieldset><legend>問題</legend>
  <label>問題の形<input name="pattern" list="sheet-presets" spellcheck="false"
    title="d は数字、n は0でない数字、数字はその数字：ddd*dd、d0d-dd、2d*n"></label>
  <datalist id="sheet-presets">${PRESETS.map(([p, n]) => `<option value="${p}">${n}</option>`).join("")}</datalist>
  <label>問題の数<input name="count" type="number" min="1" max="200"></label>
  <label>繰り上がり・繰り下がり<select name="carry"><option value="0">どちらでも</option><option value="1">あり</option><option value="2">なし</option></select></label>
  <label>あまり<select name="remainder"><option value="0">どちらでも</option><option value="1">あり</option><option value="2">なし</option></select></label>
  <label>商のけた数<select name="quotientDigits"><option value="0">どれでも</option>${[1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12].map((n) => `<option value="${n}">${n}</option>`).join("")}</select></label>
  <label class="check"><input type="checkbox" name="zeroInQuotient">商の途中に0が立つ</label>
  <label class="check"><input type="checkbox" name="noTrivial">×0・×1・÷1 や 0 の数を除く</label>
  <label>答えの小数のけた数<select name="decimals"><option value="-1">どれでも</option>${[0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10].map((n) => `<option value="${n}">${n}</option>`).join("")}</select></label>
  <label class="check"><input type="checkbox" name="unique">同じ問題を出さない</label>
  <label>シード（同じ数で同じ問題）<span class="seed"><input name="seed" inputmode="numeric" spellcheck="false"><button type="button" id="sheet-reseed">別の問題にする</button></span></label>
 </fieldset>
 <fieldset><legend>用紙</legend>
  <label>題名<input name="title"></label>
  <div class="grid-row">ならべ方 <label>横<input name="cols" type="number" min="1" max="10"></label><label>たて<input name="rows" type="number" min="1" max="10"></label></div>
  <label>番号<select name="circled"><option value="0">(1) (2) (3)</option><option value="1">① ② ③</option></select></label>
  <label>問題の見せ方<select name="expressionOnly"><option value="0">筆算の形で</option><option value="1">式だけ</option></select></label>
  <label class="check"><input type="checkbox" name="squares">マス目</label>
  <label class="check"><input type="checkbox" name="answers">答えのページをつける</label>
 </fieldset>
</form>
<div class="sheet-side">
  <p id="sheet-summary" class="sheet-summary" role="status"></p>
  <div id="sheet-pages" class="sheet-pages"></div>
  <ol id="sheet-list" class="sheet-list"></ol>
</div>
</div>`;

export class SheetMaker {
  private root: HTMLElement;
  private form!: HTMLFormElement;
  private choices: Choices = load();
  private timer = 0;

  constructor(
    private readonly mod: BoardModule,
    private readonly session: Session,
    root: HTMLElement,
    private readonly onClose: () => void,
  ) {
    this.root = root;
    root.innerHTML = FORM;
    this.form = root.querySelector("#sheet-form")!;
    this.fill();
    this.form.addEventListener("input", () => this.changed());
    this.form.addEventListener("change", () => this.changed());
    this.form.addEventListener("submit", (e) => e.preventDefault());
    root.querySelector("#sheet-reseed")!.addEventListener("click", () => {
      this.field("seed").value = randomSeed();
      this.changed();
    });
    // Printed as the choices stand now, named after the sheet's title (the
    // file name a PDF is saved under).
    const print = root.querySelector<HTMLButtonElement>("#sheet-print")!;
    print.addEventListener("click", () => {
      if (this.timer) this.make();
      if (root.dataset.sheet !== "ready") return;
      const title = document.title;
      document.title = this.choices.title.trim() || "計算プリント";
      window.addEventListener("afterprint", () => (document.title = title), { once: true });
      window.print();
    });
    root.querySelector("#sheet-close")!.addEventListener("click", () => this.onClose());
    root.addEventListener("keydown", (e) => {
      if (e.key === "Escape") this.onClose();
    });
    this.make();
  }

  private field(name: string): HTMLInputElement {
    return this.form.elements.namedItem(name) as HTMLInputElement;
  }

  private fill(): void {
    const c = this.choices;
    for (const [name, value] of Object.entries(c)) {
      const el = this.field(name);
      if (!el) continue;
      if (el.type === "checkbox") el.checked = Boolean(value);
      else el.value = typeof value === "boolean" ? (value ? "1" : "0") : String(value);
    }
  }

  private read(): Choices {
    const v = (n: string) => this.field(n).value;
    const on = (n: string) => this.field(n).checked;
    return {
      pattern: v("pattern").trim(), count: Number(v("count")), cols: Number(v("cols")), rows: Number(v("rows")),
      carry: Number(v("carry")), remainder: Number(v("remainder")), quotientDigits: Number(v("quotientDigits")),
      zeroInQuotient: on("zeroInQuotient"), noTrivial: on("noTrivial"), decimals: Number(v("decimals")),
      unique: on("unique"), squares: on("squares"), expressionOnly: v("expressionOnly") === "1", circled: v("circled") === "1", title: v("title"),
      answers: on("answers"), seed: v("seed").trim(),
    };
  }

  // The preview follows the choices as they are typed, a moment after the
  // last change.
  private changed(): void {
    window.clearTimeout(this.timer);
    this.timer = window.setTimeout(() => this.make(), 150);
  }

  // Draws the problems and sets out every page; the first is the preview,
  // all of them are printed.
  make(): void {
    window.clearTimeout(this.timer);
    this.timer = 0;
    const c = this.read();
    this.choices = c;
    const { seed: _seed, ...kept } = c;
    localStorage.setItem(STORE, JSON.stringify(kept));
    const message = this.root.querySelector<HTMLElement>("#sheet-message")!;
    const summary = this.root.querySelector<HTMLElement>("#sheet-summary")!;
    const pages = this.root.querySelector<HTMLElement>("#sheet-pages")!;
    const list = this.root.querySelector<HTMLElement>("#sheet-list")!;
    const count = Number.isInteger(c.count) ? c.count : 0;
    const result = JSON.parse(
      this.session.sheet(c.pattern, count, c.seed, c.carry, c.remainder, c.quotientDigits, c.zeroInQuotient, c.noTrivial, c.decimals, c.unique),
    ) as { error?: string; problems?: { expression: string; answer: string; line: OpArray[][]; work: OpArray[][]; squares: Problem["squares"]; em: number }[] };
    if (result.error !== undefined || !result.problems) {
      message.textContent = result.error ?? "";
      summary.textContent = "";
      pages.replaceChildren();
      list.replaceChildren();
      this.root.dataset.sheet = "refused";
      this.root.querySelector<HTMLButtonElement>("#sheet-print")!.disabled = true;
      return;
    }
    message.textContent = "";
    const problems: Problem[] = result.problems.map((p) => ({
      ...p,
      line: [p.line[0].map(opOf), p.line[1].map(opOf)],
      work: [p.work[0].map(opOf), p.work[1].map(opOf)],
    }));
    const svg = sheetPages(this.mod, problems, c);
    pages.innerHTML = svg.join("");
    list.replaceChildren(
      ...problems.map((p) => {
        const li = document.createElement("li");
        li.dataset.expression = p.expression;
        li.textContent = `${p.expression}=${p.answer}`;
        return li;
      }),
    );
    const answerPages = c.answers ? svg.length / 2 : 0;
    summary.textContent = `${problems.length}問、${svg.length}ページ（問題 ${svg.length - answerPages}${answerPages ? `・答え ${answerPages}` : ""}）。プレビューは1ページ目です。`;
    this.root.dataset.sheet = "ready";
    this.root.querySelector<HTMLButtonElement>("#sheet-print")!.disabled = false;
  }
}
