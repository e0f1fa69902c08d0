// The board: replays the core's display list on a canvas at the device's
// pixel ratio, and plays a run's pacing marks without ever blocking.
import type { BoardModule, Session } from "../gen/hissan_board.mjs";

// One op as the session writes it (see Session::ops).
export interface Op {
  kind: number; // 0 text, 1 line, 2 rect, 3 pause, 4 step
  stepOnly: boolean;
  bold: boolean;
  underline: boolean;
  dotted: boolean;
  x1: number;
  y1: number;
  x2: number;
  y2: number;
  size: number;
  width: number;
  units: number;
  role: number;
  rgb: number;
  text: string;
}

const TEXT = 0, LINE = 1, RECT = 2, PAUSE = 3, STEP = 4;
const FIXED_ROLE = 16;
export const FONT_FAMILY = "HissanBoard";

export function unpackOps(packed: { numbers: Int32Array; texts: string }): Op[] {
  const n = packed.numbers;
  const texts = packed.texts.split("\x1f");
  const ops: Op[] = new Array(n.length / 15);
  for (let i = 0, k = 0; k < n.length; i++, k += 15)
    ops[i] = {
      kind: n[k], stepOnly: n[k + 2] === 1, bold: n[k + 3] === 1, underline: n[k + 4] === 1,
      dotted: n[k + 5] === 1, x1: n[k + 6], y1: n[k + 7], x2: n[k + 8], y2: n[k + 9],
      size: n[k + 10], width: n[k + 11], units: n[k + 12], role: n[k + 13], rgb: n[k + 14] >>> 0,
      text: texts[i] ?? "",
    };
  return ops;
}

export interface Pacing {
  delay: number;
  step: number;
  beep: number;
  scheme: number;
}

// What painting needs of a 2D context: the canvas's own, or a recorder that
// writes the same strokes as SVG for a printed sheet.
export type PaintTarget = Pick<
  CanvasRenderingContext2D,
  "font" | "fillStyle" | "strokeStyle" | "lineWidth" | "lineCap" | "textBaseline" |
  "fillText" | "fillRect" | "setLineDash" | "beginPath" | "moveTo" | "lineTo" | "stroke"
>;

// Paints the first `n` ops in board pixels: a text at its cell's baseline
// (`metrics` gives the em in pixels and the baseline of a point size), a
// line with its pen, a filled rectangle. Step-only ops only while stepping.
export function paintOps(
  ctx: PaintTarget,
  ops: readonly Op[],
  n: number,
  colour: (op: Op) => string,
  metrics: (size: number) => [number, number],
  stepping: boolean,
): void {
  let font = "";
  ctx.textBaseline = "alphabetic";
  for (let i = 0; i < n; i++) {
    const op = ops[i];
    if (op.stepOnly && !stepping) continue;
    if (op.kind === TEXT) {
      const [px, ascent] = metrics(op.size);
      const f = `${op.bold ? "bold " : ""}${px}px ${FONT_FAMILY}`;
      if (f !== font) ctx.font = font = f;
      ctx.fillStyle = colour(op);
      const y = op.y1 + ascent;
      ctx.fillText(op.text, op.x1, y);
      if (op.underline) {
        const t = Math.max(1, Math.round(px / 20));
        ctx.fillRect(op.x1, y + Math.round(px / 10), op.x2 - op.x1, t);
      }
    } else if (op.kind === LINE) {
      const w = Math.max(1, op.width);
      ctx.strokeStyle = colour(op);
      ctx.lineWidth = w;
      ctx.lineCap = "butt";
      ctx.setLineDash(op.dotted ? [w, 2 * w] : []);
      ctx.beginPath();
      ctx.moveTo(op.x1, op.y1);
      ctx.lineTo(op.x2, op.y2);
      ctx.stroke();
    } else if (op.kind === RECT) {
      ctx.fillStyle = colour(op);
      ctx.fillRect(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1);
    }
  }
  ctx.setLineDash([]);
}

// An op's colour in a scheme ([background, role 1, ...]); an op of a fixed
// colour keeps its own.
export function opColour(op: Op, scheme: readonly number[]): number {
  return op.role === FIXED_ROLE ? op.rgb : scheme[op.role];
}

export function css(rgb: number): string {
  return "#" + (rgb & 0xffffff).toString(16).padStart(6, "0");
}

// Each op's CSS colour in a scheme, each colour written out once.
export function opColours(scheme: readonly number[]): (op: Op) => string {
  const colours = new Map<number, string>();
  return (op: Op) => {
    const rgb = opColour(op, scheme);
    let c = colours.get(rgb);
    if (!c) colours.set(rgb, (c = css(rgb)));
    return c;
  };
}

export class Board {
  ops: Op[] = [];
  revealed = 0;
  private schemes: number[][];
  private ctx: CanvasRenderingContext2D;
  private cssWidth = 0;
  private cssHeight = 0;
  private frame = 0;

  constructor(
    private readonly mod: BoardModule,
    private readonly session: Session,
    private readonly canvas: HTMLCanvasElement,
    private readonly scroller: HTMLElement,
  ) {
    this.ctx = canvas.getContext("2d", { alpha: false })!;
    // Every scheme the conditions offer.
    const conditions = JSON.parse(session.conditions()) as { name: string; hi: number }[];
    const count = (conditions.find((c) => c.name === "DSP_CL_TYPE")?.hi ?? 1) + 1;
    this.schemes = Array.from({ length: count }, (_, i) => JSON.parse(mod.Session.scheme(i)) as number[]);
    new ResizeObserver(() => this.resize()).observe(scroller);
    matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener("change", () => this.resize());
  }

  pacing(): Pacing {
    return JSON.parse(this.session.pacing()) as Pacing;
  }

  // Everything the core has drawn since the last clear.
  reload(): void {
    this.ops = unpackOps(this.session.opsPacked(0));
  }

  // The drawing's right and bottom edges.
  private bounds(): [number, number] {
    let right = 0, bottom = 0;
    const stepping = this.ops.some((op) => op.stepOnly) && this.pacing().step === 1;
    for (const op of this.ops)
      if (op.kind <= RECT && (stepping || !op.stepOnly)) {
        right = Math.max(right, op.x1, op.x2);
        bottom = Math.max(bottom, op.y1, op.y2);
      }
    return [right, bottom];
  }

  // A drawing wider than the board (a phone, a long product) is shown
  // smaller as a whole, never cut off: the same picture at a smaller scale.
  // A low board (a phone on its side) shows the whole calculation too,
  // down to half size; a longer one scrolls.
  scale(): number {
    const [right, bottom] = this.bounds();
    const wide = this.scroller.clientWidth / Math.max(1, right + 16);
    const high = Math.max(0.5, this.scroller.clientHeight / Math.max(1, bottom + 56));
    return Math.min(1, wide, high);
  }

  // The height the drawing needs, so that the board scrolls to all of it.
  private extent(): number {
    return Math.ceil((this.bounds()[1] + 60) * this.scale());
  }

  resize(): void {
    const w = this.scroller.clientWidth;
    const h = Math.max(this.scroller.clientHeight, this.extent());
    const dpr = devicePixelRatio || 1;
    if (w !== this.cssWidth || h !== this.cssHeight || this.canvas.width !== Math.round(w * dpr)) {
      this.cssWidth = w;
      this.cssHeight = h;
      this.canvas.style.width = `${w}px`;
      this.canvas.style.height = `${h}px`;
      this.canvas.width = Math.round(w * dpr);
      this.canvas.height = Math.round(h * dpr);
    }
    this.paint();
  }

  // Paints in the next frame (at most once a frame).
  schedule(): void {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.paint();
    });
  }

  private sizes = new Map<number, [number, number]>();
  // The em in pixels and the baseline in the cell of a point size, from the core.
  private metrics(size: number): [number, number] {
    let m = this.sizes.get(size);
    if (!m) {
      m = [this.mod.Session.fontPixels(size), this.mod.Session.cellAscent(size)];
      this.sizes.set(size, m);
    }
    return m;
  }

  paint(): void {
    if (this.frame) {
      cancelAnimationFrame(this.frame);
      this.frame = 0;
    }
    if (this.extent() > this.cssHeight) {
      this.resize();
      return;
    }
    const p = this.pacing();
    const scheme = this.schemes[p.scheme] ?? this.schemes[0];
    const colour = opColours(scheme);
    const ctx = this.ctx;
    const dpr = this.canvas.width / Math.max(1, this.cssWidth);
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.fillStyle = css(scheme[0]);
    ctx.fillRect(0, 0, this.cssWidth, this.cssHeight);
    const k = this.scale();
    ctx.setTransform(dpr * k, 0, 0, dpr * k, 0, 0);
    const n = Math.min(this.revealed, this.ops.length);
    paintOps(ctx, this.ops, n, colour, (size) => this.metrics(size), p.step === 1);
    this.paintCursor();
  }

  private paintCursor(): void {
    const c = JSON.parse(this.session.cursor()) as { x: number; y: number; w: number; h: number; rgb: number; on: boolean };
    if (!c.on || this.revealed < this.ops.length) return;
    this.ctx.fillStyle = css(c.rgb);
    this.ctx.fillRect(c.x, c.y, c.w, c.h);
  }
}

type PlayerState = "idle" | "drawing" | "guard" | "waiting";

// Reveals a run op by op: a pause waits its units x the stroke delay x
// 100 ms, a step point in manual stepping waits for G or a tap (after a
// short guard, so a double tap does not skip a step). The delay and the
// stepping are read at each mark, so a change during the run counts from
// the next mark on.
export class Player {
  private current: PlayerState = "idle";
  private timer = 0;
  // Told when the run starts or stops waiting at a step point.
  onWaiting: (waiting: boolean) => void = () => undefined;

  get state(): PlayerState {
    return this.current;
  }
  private set state(s: PlayerState) {
    const was = this.current === "waiting";
    this.current = s;
    if (was !== (s === "waiting")) this.onWaiting(s === "waiting");
  }

  constructor(
    private readonly board: Board,
    private readonly onFinished: () => void,
    private readonly beep: () => void,
  ) {}

  get running(): boolean {
    return this.state !== "idle";
  }

  start(from: number): void {
    if (this.running) this.finish();
    this.board.revealed = Math.min(from, this.board.ops.length);
    this.advance();
  }

  private advance(): void {
    this.state = "drawing";
    const ops = this.board.ops;
    // Read when the first mark is reached; nothing changes it until this
    // call returns.
    let p: Pacing | undefined;
    while (this.board.revealed < ops.length) {
      const op = ops[this.board.revealed++];
      if (op.kind !== PAUSE && op.kind !== STEP) continue;
      p ??= this.board.pacing();
      if (op.stepOnly && p.step !== 1) continue;
      if (op.kind === PAUSE) {
        const ms = op.units * Math.max(0, p.delay) * 100;
        if (ms <= 0) continue;
        this.board.schedule();
        this.timer = window.setTimeout(() => this.advance(), ms);
        return;
      }
      if (p.step !== 1) continue;
      this.board.schedule();
      this.state = "guard";
      const beep = p.beep === 1;
      this.timer = window.setTimeout(() => {
        this.state = "waiting";
        if (beep) this.beep();
      }, 200);
      return;
    }
    this.end();
  }

  // G or a tap: on from the step point.
  go(): void {
    if (this.state === "waiting") this.advance();
  }

  // Everything at once.
  finish(): void {
    if (!this.running) return;
    this.end();
  }

  private end(): void {
    clearTimeout(this.timer);
    this.state = "idle";
    this.board.revealed = this.board.ops.length;
    this.board.paint();
    this.onFinished();
  }
}
