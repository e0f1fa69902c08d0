// The page in Debian's Chromium: keyboard and keypad entry, the board's
// pixels against the desktop's export of the same calculation, stepping with
// taps, and a reload with the network off.
// Environment: HISSAN_RENDER (the native export tool), WEB_DIST (web/dist).
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { readFileSync, mkdtempSync } from "node:fs";
import { join, dirname } from "node:path";
import { tmpdir } from "node:os";
import { fileURLToPath } from "node:url";
import { pageUnderTest } from "./page.mjs";

const here = dirname(fileURLToPath(import.meta.url));
const dist = process.env.WEB_DIST ?? join(here, "..", "dist");
const render = process.env.HISSAN_RENDER;
const env = pageUnderTest(dist);

// A fresh page at one CSS pixel per device pixel, whiteboard scheme (as the
// export draws by default), conditions as given.
async function openBoard(conditions = {}, viewport = { width: 1280, height: 800 }) {
  const context = await env.browser.newContext({ viewport, deviceScaleFactor: 1 });
  await context.addInitScript((c) => {
    if (!sessionStorage.getItem("seeded")) {
      localStorage.setItem("hissan.conditions", JSON.stringify(c));
      sessionStorage.setItem("seeded", "1");
    }
  }, { DSP_CL_TYPE: 1, ...conditions });
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  await page.goto(env.server.url);
  await page.waitForSelector("body[data-ready='1']");
  return { context, page, errors };
}

const status = (page) => page.locator("#status");

// The fraction of the export's pixels that differ from the board's by more
// than anti-aliasing: a pixel counts as matching when a pixel within one
// pixel of it on the other side is close in colour.
async function boardDiff(page, expression) {
  const dir = mkdtempSync(join(tmpdir(), "hissan-web-"));
  const png = join(dir, "native.png");
  execFileSync(render, ["--scheme", "white", "-o", png, expression]);
  const dataUrl = "data:image/png;base64," + readFileSync(png).toString("base64");
  return page.evaluate(async (url) => {
    const img = new Image();
    img.src = url;
    await img.decode();
    const w = img.width, h = img.height;
    const off = new OffscreenCanvas(w, h).getContext("2d");
    off.drawImage(img, 0, 0);
    const a = off.getImageData(0, 0, w, h).data;
    const board = document.getElementById("board");
    const b = board.getContext("2d").getImageData(0, 0, w, h).data;
    const near = (p, q, x, y) => {
      for (let dy = -1; dy <= 1; dy++)
        for (let dx = -1; dx <= 1; dx++) {
          const xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
          const i = (y * w + x) * 4, j = (yy * w + xx) * 4;
          if (Math.max(Math.abs(p[i] - q[j]), Math.abs(p[i + 1] - q[j + 1]), Math.abs(p[i + 2] - q[j + 2])) <= 80) return true;
        }
      return false;
    };
    let bad = 0, ink = 0;
    for (let y = 0; y < h; y++)
      for (let x = 0; x < w; x++) {
        const i = (y * w + x) * 4;
        if (a[i] < 250 || a[i + 1] < 250 || a[i + 2] < 250) ink++;
        if (!near(a, b, x, y) || !near(b, a, x, y)) bad++;
      }
    return { bad: bad / (w * h), ink, w, h };
  }, dataUrl);
}

test("typing 14/4 and Enter draws the division and writes it as text", async (t) => {
  const { context, page, errors } = await openBoard();
  await page.keyboard.type("14");
  await page.keyboard.press("NumpadDivide");
  await page.keyboard.type("4");
  await page.keyboard.press("Enter");
  await assert.doesNotReject(status(page).filter({ hasText: "14÷4＝3あまり2" }).waitFor());
  if (render) {
    const d = await boardDiff(page, "14/4");
    t.diagnostic(`${d.w}x${d.h}: ${(d.bad * 100).toFixed(3)} % of the pixels differ beyond anti-aliasing`);
    assert.ok(d.ink > 1000, "the export has a drawing");
    assert.ok(d.bad < 0.002, `pixels differ beyond anti-aliasing: ${(d.bad * 100).toFixed(3)} %`);
  }
  assert.deepEqual(errors, []);
  await context.close();
});

test("tapping 1 4 ÷ 4 ＝ on the keypad gives the same board", async (t) => {
  const { context, page } = await openBoard({}, { width: 768, height: 1024 });
  for (const name of ["1", "4", "÷", "4", "＝"]) await page.getByRole("button", { name, exact: true }).click();
  await status(page).filter({ hasText: "14÷4＝3あまり2" }).waitFor();
  for (const b of await page.locator("#keypad button").all()) {
    const box = await b.boundingBox();
    assert.ok(box.width >= 48 && box.height >= 48, `${await b.textContent()} is ${box.width}x${box.height}`);
  }
  if (render) {
    const d = await boardDiff(page, "14/4");
    t.diagnostic(`${(d.bad * 100).toFixed(3)} % of the pixels differ beyond anti-aliasing`);
    assert.ok(d.bad < 0.002, `pixels differ beyond anti-aliasing: ${(d.bad * 100).toFixed(3)} %`);
  }
  await context.close();
});

// A laptop has no numeric pad: the main keyboard's minus types "−" after the
// first number, "*" and "=" type the operator and "=", and a key that cannot
// act says why on the status line.
test("52-18 and Enter, 12*3= on the main keyboard; a second operator gets a hint", async () => {
  const { context, page } = await openBoard();
  await page.keyboard.type("52-18");
  await page.keyboard.press("Enter");
  await status(page).filter({ hasText: "52－18＝34" }).waitFor({ timeout: 3000 });
  await page.keyboard.press("Delete");
  await page.keyboard.type("12*3=");
  await status(page).filter({ hasText: "12×3＝36" }).waitFor({ timeout: 3000 });
  await page.keyboard.press("Delete");
  await page.keyboard.type("7+");
  await page.keyboard.press("NumpadAdd");
  await status(page).filter({ hasText: "１つの式に１つだけ" }).waitFor({ timeout: 3000 });
  await context.close();
});

test("a manual step run goes on with taps on the board", async () => {
  const { context, page } = await openBoard({ STEPFLAG: 1 });
  await page.keyboard.type("56");
  await page.keyboard.press("NumpadMultiply");
  await page.keyboard.type("34");
  await page.keyboard.press("Enter");
  let taps = 0;
  for (let i = 0; i < 200; i++) {
    const state = await page.evaluate(() => window.hissan.player.state);
    if (state === "idle") break;
    if (state !== "waiting") {
      await page.waitForTimeout(60);
      continue;
    }
    // A tap on the board or on the step box's button goes on.
    const next = page.getByRole("button", { name: "次へ（G）" });
    assert.ok(await next.isVisible(), "the step box shows at a step point");
    if (taps++ % 2) await next.click();
    else await page.locator("#board").click({ position: { x: 20, y: 20 } });
  }
  assert.ok(taps >= 2, `the run waited at ${taps} step points`);
  await status(page).filter({ hasText: "56×34＝1904" }).waitFor();
  await context.close();
});

test("after the first load the page works with the network off", async () => {
  const { context, page } = await openBoard();
  await page.evaluate(async () => {
    await navigator.serviceWorker.ready;
    if (!navigator.serviceWorker.controller)
      await new Promise((r) => navigator.serviceWorker.addEventListener("controllerchange", r, { once: true }));
  });
  await context.setOffline(true);
  await page.reload();
  await page.waitForSelector("body[data-ready='1']");
  await page.keyboard.type("12");
  await page.keyboard.press("NumpadAdd");
  await page.keyboard.type("9");
  await page.keyboard.press("Enter");
  await status(page).filter({ hasText: "12＋9＝21" }).waitFor();
  await context.close();
});

test("conditions come in from pkt_m41.ini, stay after a reload and go out again", async () => {
  const { context, page } = await openBoard();
  await page.getByRole("button", { name: "条件（J）" }).click();
  const carries = page.getByRole("checkbox", { name: "くり上がりを表示（A）" });
  assert.equal(await carries.isChecked(), true);
  await page.locator("#ini-import").setInputFiles({
    name: "pkt_m41.ini",
    mimeType: "text/plain",
    buffer: Buffer.from("[DSPORNOT]\r\nKURIAGARI=0\r\n[SPEED]\r\nPOINTMAX=3\r\n"),
  });
  await page.waitForFunction(() => !document.querySelector("input[name=KURIAGARI]").checked);
  await page.reload();
  await page.waitForSelector("body[data-ready='1']");
  await page.getByRole("button", { name: "条件（J）" }).click();
  assert.equal(await carries.isChecked(), false, "kept in the browser");
  const [download] = await Promise.all([page.waitForEvent("download"), page.getByRole("button", { name: "設定ファイルに書き出す" }).click()]);
  const text = readFileSync(await download.path(), "latin1");
  assert.match(text, /\[DSPORNOT\]\r\nKURIAGARI=0\r\n/);
  assert.match(text, /POINTMAX=3\r\nPNTDSPFLAG=3\r\n/);
  // Another program's file is refused with a message and changes nothing.
  await page.locator("#ini-import").setInputFiles({ name: "x.ini", mimeType: "text/plain", buffer: Buffer.from("[Colors]\r\nKURIAGARI=1\r\n") });
  await page.locator("#message").waitFor();
  await page.getByRole("button", { name: "OK" }).click();
  assert.equal(await carries.isChecked(), false);
  await context.close();
});

test("a refused calculation is told in a message box, and nothing waits for a step", async () => {
  const { context, page } = await openBoard();
  await page.keyboard.press("Digit5");
  await page.keyboard.press("NumpadDivide");
  await page.keyboard.press("Digit0");
  await page.keyboard.press("Enter");
  await page.locator("#message").waitFor();
  assert.equal(await page.textContent("#message-text"), "０で割ることはできません。");
  assert.equal(await page.locator("#step-box").isVisible(), false);
  await page.getByRole("button", { name: "OK" }).click();
  assert.equal(await status(page).textContent(), "5÷0");
  await context.close();
});
