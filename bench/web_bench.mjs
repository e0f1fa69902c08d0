// Benchmarks of the browser board (not tests): what the first load
// transfers, compressed, per part; the median of 10 cold loads to a board
// ready for keys; the median time from Enter to the finished board of an
// 18 x 11-digit product without pacing. Headless Chromium, local server.
// Usage: node bench/web_bench.mjs   (after scripts/build-web)
import { brotliCompressSync, gzipSync, constants } from "node:zlib";
import { readFileSync } from "node:fs";
import { join, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { createRequire } from "node:module";

const root = join(dirname(fileURLToPath(import.meta.url)), "..");
const web = join(root, "web");
const require = createRequire(join(web, "package.json"));
const { chromium } = require("playwright-core");
const { serve, chromiumArgs, chromiumPath } = await import(join(web, "tests", "serve.mjs"));
const dist = join(web, "dist");
const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];

const server = await serve(dist);
const browser = await chromium.launch({ executablePath: chromiumPath, args: chromiumArgs });

// 1. What the first load fetches, compressed as a server would send it.
{
  const context = await browser.newContext({ serviceWorkers: "block" });
  const page = await context.newPage();
  const urls = new Set();
  page.on("request", (r) => urls.add(new URL(r.url()).pathname));
  await page.goto(server.url);
  await page.waitForSelector("body[data-ready='1']");
  await page.waitForLoadState("networkidle");
  let raw = 0, gz = 0, br = 0;
  console.log("first load, per part (bytes: raw / gzip -9 / brotli -11):");
  for (const path of [...urls].sort()) {
    const file = join(dist, path.endsWith("/") ? path + "index.html" : path);
    let body;
    try { body = readFileSync(file); } catch { continue; }
    const g = gzipSync(body, { level: 9 }).length;
    const b = brotliCompressSync(body, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
    raw += body.length; gz += g; br += b;
    console.log(`  ${path.padEnd(44)} ${String(body.length).padStart(7)} ${String(g).padStart(7)} ${String(b).padStart(7)}`);
  }
  console.log(`  ${"total".padEnd(44)} ${String(raw).padStart(7)} ${String(gz).padStart(7)} ${String(br).padStart(7)}`);
  await context.close();
}

// 2. Cold loads: a fresh browser context each time (empty cache, no worker).
{
  const times = [];
  for (let i = 0; i < 10; i++) {
    const context = await browser.newContext({ serviceWorkers: "block" });
    const page = await context.newPage();
    await page.goto(server.url);
    await page.waitForSelector("body[data-ready='1']");
    times.push(await page.evaluate(() => performance.getEntriesByName("board-ready")[0].startTime));
    await context.close();
  }
  console.log(`cold load to a board ready for keys: median ${median(times).toFixed(0)} ms ` +
    `(min ${Math.min(...times).toFixed(0)}, max ${Math.max(...times).toFixed(0)})`);
}

// 3. Enter to the finished board of 123456789012345678 x 12345678901.
{
  const context = await browser.newContext({ serviceWorkers: "block" });
  const page = await context.newPage();
  await page.goto(server.url);
  await page.waitForSelector("body[data-ready='1']");
  const times = await page.evaluate(async () => {
    const h = window.hissan;
    const key = (code, key) => document.dispatchEvent(new KeyboardEvent("keydown", { code, key, bubbles: true }));
    const out = [];
    for (let i = 0; i < 21; i++) {
      key("Delete", "Delete");
      for (const c of "123456789012345678") key("Digit" + c, c);
      key("NumpadMultiply", "*");
      for (const c of "12345678901") key("Digit" + c, c);
      await h.idle();
      const t0 = performance.now();
      key("Enter", "Enter");
      await h.idle();
      out.push(performance.now() - t0);
      if (h.player.running) throw new Error("the run is paced");
    }
    return out.slice(1);
  });
  console.log(`Enter to the finished 18 x 11-digit product: median ${median(times).toFixed(2)} ms ` +
    `(max ${Math.max(...times).toFixed(2)})`);
  await context.close();
}

await browser.close();
server.close();
