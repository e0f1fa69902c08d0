// Screenshots of the page for looking at it (not a test): a tablet and a
// phone, both orientations, each scheme, a calculation on the board.
// Usage: node tests/screenshots.mjs OUT_DIR
import { mkdirSync } from "node:fs";
import { join } from "node:path";
import { chromium } from "playwright-core";
import { serve, chromiumArgs, chromiumPath } from "./serve.mjs";

const out = process.argv[2] ?? "screenshots";
mkdirSync(out, { recursive: true });
const dist = join(import.meta.dirname ?? new URL(".", import.meta.url).pathname, "..", "dist");
const server = await serve(dist);
const browser = await chromium.launch({ executablePath: chromiumPath, args: chromiumArgs });
const devices = {
  "ipad-portrait": { viewport: { width: 768, height: 1024 }, deviceScaleFactor: 2, hasTouch: true },
  "ipad-landscape": { viewport: { width: 1024, height: 768 }, deviceScaleFactor: 2, hasTouch: true },
  "chromebook-landscape": { viewport: { width: 1366, height: 768 }, deviceScaleFactor: 1 },
  "chromebook-portrait": { viewport: { width: 768, height: 1366 }, deviceScaleFactor: 1 },
  "phone-portrait": { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, hasTouch: true },
  "phone-landscape": { viewport: { width: 844, height: 390 }, deviceScaleFactor: 3, hasTouch: true },
};
for (const [name, device] of Object.entries(devices))
  for (const scheme of [0, 1]) {
    const context = await browser.newContext(device);
    await context.addInitScript((s) => localStorage.setItem("hissan.conditions", JSON.stringify({ DSP_CL_TYPE: s })), scheme);
    const page = await context.newPage();
    await page.goto(server.url);
    await page.waitForSelector("body[data-ready='1']");
    for (const c of "123") await page.keyboard.press(`Digit${c}`);
    await page.keyboard.press("NumpadMultiply");
    for (const c of "45") await page.keyboard.press(`Digit${c}`);
    await page.keyboard.press("Enter");
    await page.locator("#status").filter({ hasText: "＝" }).waitFor();
    await page.screenshot({ path: join(out, `${name}-${scheme ? "white" : "black"}.png`) });
    if (scheme === 0 && name.startsWith("ipad")) {
      await page.getByRole("button", { name: "文章題（Z）" }).click();
      await page.locator(".word-title").waitFor();
      await page.screenshot({ path: join(out, `${name}-word.png`) });
      await page.getByRole("button", { name: "条件（J）" }).click();
      await page.screenshot({ path: join(out, `${name}-conditions.png`) });
    }
    await context.close();
  }
await browser.close();
server.close();
console.log(`screenshots in ${out}`);
