// The page: loads the core, wires the keyboard, the keypad, the conditions
// panel, speech and word problems to the session, and applies the reports
// it returns one event after another.
import createBoard from "../gen/hissan_board.mjs";
import type { BoardModule, Session } from "../gen/hissan_board.mjs";
import wasmUrl from "../gen/hissan_board.wasm?url";
import storiesUrl from "../gen/bunExPtrn.txt?url";
import { Board, FONT_FAMILY, Player } from "./board";
import { ConditionsPanel } from "./conditions";
import { Speech } from "./speech";
import "./style.css";

interface BoardEvent {
  k: string;
  change?: string;
  text?: string;
  title?: string;
  restore?: boolean;
  on?: boolean;
  mode?: number;
  do?: string;
  name?: string;
}
interface Report {
  events: BoardEvent[];
  status: string;
  count: number;
  runStart: number;
}

// Core key names the page itself sends (values of core::Key).
const KEY_DELETE = 20;
const KEY_INSERT = 21;
// Modifier flags of core::Mods.
const SHIFT = 1, CTRL = 2, ALT = 4, KEYPAD = 8, OTHER = 16;

const $ = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

async function main(): Promise<void> {
  const mod: BoardModule = await createBoard({ locateFile: () => wasmUrl });
  const session: Session = new mod.Session();
  const statusEl = $("status");
  const scroller = $("board-scroll");
  const canvas = $<HTMLCanvasElement>("board");
  const keypadEl = $("keypad");
  const wordEl = $("word");
  const speech = new Speech(session, (text) => showMessage(text, "お知らせ"));

  const board = new Board(mod, session, canvas, scroller);
  let deferred: (() => void)[] = [];
  let lastStatus = "";
  const player = new Player(
    board,
    () => {
      statusEl.textContent = lastStatus;
      setInputs(inputsWanted);
      const later = deferred;
      deferred = [];
      for (const f of later) f();
    },
    beep,
  );

  // Reports are applied one after another: a message box is closed before
  // the events after it, and keys wait for the report before them.
  let chain: Promise<void> = Promise.resolve();
  const enqueue = (f: () => Promise<void> | void) => {
    chain = chain.then(f).catch((e) => console.error(e));
  };

  let inputsWanted = true;
  function setInputs(on: boolean): void {
    inputsWanted = on;
    const enabled = on && !player.running;
    for (const b of keypadEl.querySelectorAll("button")) b.disabled = !enabled;
    panel.setEnabled(enabled);
  }

  let wordOn = false;
  let wordMode = 0;
  let storiesLoaded = false;
  async function showWord(mode: number): Promise<void> {
    wordMode = mode;
    if (!storiesLoaded) {
      try {
        const bytes = new Uint8Array(await (await fetch(storiesUrl)).arrayBuffer());
        const why = session.loadStories(bytes);
        if (why) await showMessage(why, "お知らせ");
        storiesLoaded = true;
      } catch {
        await showMessage("文章題のファイルを読めませんでした。", "お知らせ");
        return;
      }
    }
    const w = JSON.parse(session.wordProblem(mode)) as Record<string, string> | null;
    wordEl.replaceChildren();
    if (!w) {
      const p = document.createElement("p");
      p.className = "word-empty";
      p.textContent = "計算をすると、ここに文章題が出ます。";
      wordEl.append(p);
      return;
    }
    const line = (cls: string, label: string, text: string) => {
      const p = document.createElement("p");
      p.className = cls;
      if (label) {
        const b = document.createElement("b");
        b.textContent = label;
        p.append(b);
      }
      p.append(text);
      wordEl.append(p);
    };
    line("word-title", "", w.title);
    line("word-story", "[問題] ", w.bun1);
    line("word-story", "", w.bun2);
    line("word-story", "", w.bun3);
    line("word-label", "", w.label);
    line("word-expression", "［式］", w.expression);
    line("word-check", "", w.check);
    line("word-answer", "［答］", w.answer);
  }
  function setWord(on: boolean): void {
    wordOn = on;
    wordEl.hidden = !on;
    $("btn-word").setAttribute("aria-expanded", String(on));
    if (on) void showWord(wordMode);
    board.resize();
  }

  // A key that could not act: its hint stands on the status line for a few
  // seconds, then the expression comes back.
  let hintTimer = 0;
  function showHint(text: string): void {
    statusEl.textContent = text;
    window.clearTimeout(hintTimer);
    hintTimer = window.setTimeout(() => {
      if (!player.running) statusEl.textContent = lastStatus;
    }, 5000);
  }

  async function apply(json: string): Promise<void> {
    const report = JSON.parse(json) as Report;
    let hint = "";
    if (report.events.some((e) => e.k === "board")) board.reload();
    let painted = false;
    lastStatus = report.status;
    for (const e of report.events) {
      switch (e.k) {
        case "board":
          if (e.change === "run") {
            player.start(report.runStart);
            painted = true;
          } else {
            if (e.change === "relaid") player.finish();
            if (!player.running) board.revealed = board.ops.length;
            if (e.change === "cleared") scroller.scrollTop = 0;
          }
          break;
        case "message":
          await showMessage(e.text ?? "", e.title ?? "");
          if (e.restore) {
            await apply(session.key(KEY_DELETE, 0, false));
            await apply(session.key(KEY_INSERT, 0, false));
          }
          break;
        case "speak":
          void speech.say(e.text ?? "");
          break;
        case "inputs":
          setInputs(e.on ?? true);
          break;
        case "word":
          wordMode = e.mode ?? 0;
          if (wordOn) await showWord(wordMode);
          break;
        case "wordRedraw":
          if (wordOn) await showWord(wordMode);
          break;
        case "conditions":
          panel.refresh();
          break;
        case "ui":
          await ui(e.do ?? "");
          break;
        case "hint":
          hint = e.text ?? "";
          break;
      }
    }
    if (hint) showHint(hint);
    else if (!player.running) statusEl.textContent = report.status;
    if (!painted || player.running) board.paint();
  }

  async function ui(what: string): Promise<void> {
    const line = JSON.parse(session.cursor()).line as number;
    switch (what) {
      case "beep":
        beep();
        break;
      case "conditions":
        panel.toggle();
        break;
      case "keypad":
        keypadEl.hidden = !keypadEl.hidden;
        board.resize();
        break;
      case "home":
        scroller.scrollTop = 0;
        break;
      case "scrollUp":
        scroller.scrollBy(0, -line);
        break;
      case "scrollDown":
        scroller.scrollBy(0, line);
        break;
      case "toggleWordProblem":
        setWord(!wordOn);
        break;
      case "hideWordProblem":
        if (wordOn) await showWord(wordMode);
        break;
      case "stopStepping":
        player.finish();
        await apply(session.stepEscaped());
        break;
    }
  }

  const panel = new ConditionsPanel(session, (json) => enqueue(() => apply(json)), showMessage);

  // The keyboard, through the core's key table.
  document.addEventListener("keydown", (e) => {
    if ((e.target as HTMLElement).closest?.("#conditions, dialog") || !sheetEl.hidden) return;
    if (e.isComposing || e.metaKey || (e.ctrlKey && "cvxaz".includes(e.key.toLowerCase()))) return;
    if (["F5", "F11", "F12"].includes(e.key)) return;
    const value = mod.Session.domKey(e.code, e.key);
    const key = value & 0xff;
    if (key === 0) return;
    const mods =
      (e.shiftKey ? SHIFT : 0) | (e.ctrlKey ? CTRL : 0) | (e.altKey ? ALT : 0) |
      (value & 0x100 ? KEYPAD : 0) | (e.getModifierState?.("AltGraph") ? OTHER : 0);
    e.preventDefault();
    enqueue(() => typeKey(key, mods));
  });

  async function typeKey(key: number, mods: number): Promise<void> {
    if (player.running) {
      switch (session.whileDrawing(key, mods)) {
        case "escape":
          player.finish();
          await apply(session.stepEscaped());
          return;
        case "go":
          player.go();
          return;
        case "atonce":
          await apply(session.key(key, mods, true));
          return;
        default:
          deferred.push(() => enqueue(() => typeKey(key, mods)));
          return;
      }
    }
    await apply(session.key(key, mods, false));
  }

  // A tap on the board, or the step box's button, goes on from a step point.
  canvas.addEventListener("pointerdown", () => player.go());
  const stepBox = $("step-box");
  player.onWaiting = (waiting) => {
    stepBox.hidden = !waiting;
  };
  $("step-go").addEventListener("click", () => player.go());
  $("step-end").addEventListener("click", () =>
    enqueue(async () => {
      if (!player.running) return;
      player.finish();
      await apply(session.stepEscaped());
    }),
  );

  // The keypad: the session's buttons, named by their captions.
  const buttons = JSON.parse(session.keypad()) as { caption: string; hint: string }[];
  buttons.forEach((b, i) => {
    const el = document.createElement("button");
    el.type = "button";
    el.textContent = b.caption;
    if (b.hint) el.title = b.hint;
    el.className = b.caption.length > 1 ? "word-key" : "key";
    el.addEventListener("click", () => enqueue(() => apply(session.press(i))));
    keypadEl.append(el);
  });

  $("btn-conditions").addEventListener("click", () => panel.toggle());
  $("btn-word").addEventListener("click", () => setWord(!wordOn));
  // The worksheet maker, loaded the first time it is opened.
  const sheetEl = $("sheet");
  let sheetOpen: Promise<unknown> | undefined;
  const setSheet = (on: boolean) => {
    sheetEl.hidden = !on;
    document.body.classList.toggle("sheet-open", on);
    $("btn-sheet").setAttribute("aria-expanded", String(on));
    if (!on) $("btn-sheet").focus();
  };
  $("btn-sheet").addEventListener("click", () => {
    sheetOpen ??= import("./sheet")
      .then(({ SheetMaker }) => new SheetMaker(mod, session, sheetEl, () => setSheet(false)))
      .catch(async (e) => {
        sheetOpen = undefined;
        setSheet(false);
        console.error(e);
        await showMessage("プリントを作る部分を読みこめませんでした。", "お知らせ");
      });
    setSheet(true);
    void sheetOpen.then(() => sheetEl.querySelector<HTMLElement>("input")?.focus());
  });
  $("btn-read").addEventListener("click", () => {
    enqueue(() => apply(session.readAloud()));
  });

  // The cursor blinks as the desktop's does.
  const blink = () => {
    if (session.blink() && !player.running) board.schedule();
    setTimeout(blink, (JSON.parse(session.pacing()) as { blink: number }).blink);
  };
  blink();

  panel.restore();
  await Promise.all([
    document.fonts.load(`40px ${FONT_FAMILY}`, "0"),
    document.fonts.load(`bold 40px ${FONT_FAMILY}`, "0"),
  ]).catch(() => undefined);
  board.reload();
  board.revealed = board.ops.length;
  board.resize();
  $("loading").remove();
  document.body.dataset.ready = "1";
  performance.mark("board-ready");
  // For the tests and the benchmarks: the parts, and a promise of the
  // moment every queued key has been handled.
  (window as unknown as { hissan: unknown }).hissan = { session, board, player, idle: () => chain };
}

// A short tone where the desktop sounds the system beep.
let audio: AudioContext | undefined;
function beep(): void {
  try {
    audio ??= new AudioContext();
    const o = audio.createOscillator();
    const g = audio.createGain();
    g.gain.value = 0.1;
    o.frequency.value = 880;
    o.connect(g).connect(audio.destination);
    o.start();
    o.stop(audio.currentTime + 0.12);
  } catch {
    /* no sound on this device */
  }
}

function showMessage(text: string, title: string): Promise<void> {
  const dlg = document.getElementById("message") as HTMLDialogElement;
  (document.getElementById("message-title") as HTMLElement).textContent = title;
  (document.getElementById("message-text") as HTMLElement).textContent = text;
  return new Promise((resolve) => {
    dlg.addEventListener("close", () => resolve(), { once: true });
    dlg.showModal();
  });
}

if ("serviceWorker" in navigator && location.protocol !== "file:") {
  window.addEventListener("load", () => {
    navigator.serviceWorker.register("./sw.js").catch(() => undefined);
  });
}

main().catch((e) => {
  const p = document.getElementById("loading");
  if (p) p.textContent = "このブラウザでは筆算黒板を動かせませんでした。";
  console.error(e);
});
