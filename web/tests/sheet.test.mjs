// The worksheet maker in Debian's Chromium: the same seed gives the same
// problems as the native export tool, a choice no problem meets shows the
// refusal naming it, and the print layout is A4 pages.
// Environment: HISSAN_RENDER (the native export tool), WEB_DIST (web/dist).
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, writeFileSync } from "node:fs";
import { join, dirname } from "node:path";
import { tmpdir } from "node:os";
import { fileURLToPath } from "node:url";
import { pageUnderTest } from "./page.mjs";

const here = dirname(fileURLToPath(import.meta.url));
const dist = process.env.WEB_DIST ?? join(here, "..", "dist");
const render = process.env.HISSAN_RENDER;
const dir = mkdtempSync(join(tmpdir(), "hissan-sheet-"));
const env = pageUnderTest(dist);

// A fresh page with the worksheet maker open.
async function openSheet() {
  const context = await env.browser.newContext({ viewport: { width: 1280, height: 900 }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.message));
  await page.goto(env.server.url);
  await page.waitForSelector("body[data-ready='1']");
  await page.getByRole("button", { name: "プリントを作る" }).click();
  await page.waitForSelector("#sheet[data-sheet]");
  return { context, page, errors };
}

// Sets the choices (form field name: value) and waits for the sheet made from them.
async function choose(page, fields) {
  await page.evaluate((f) => {
    const form = document.getElementById("sheet-form");
    for (const [name, value] of Object.entries(f)) {
      const el = form.elements.namedItem(name);
      if (el.type === "checkbox") el.checked = value;
      else el.value = String(value);
    }
    document.getElementById("sheet").removeAttribute("data-sheet");
    form.dispatchEvent(new Event("change"));
  }, fields);
  return page.waitForSelector("#sheet[data-sheet]").then((h) => h.getAttribute("data-sheet"));
}

const native = (args) =>
  execFileSync(render, ["--sheet", "3x4", "--problems", "-o", join(dir, "native.pdf"), ...args], { encoding: "utf8" })
    .trim()
    .split("\n")
    .map((l) => l.replace("R", "あまり"));

test("a seed gives the same problems as the native export tool", { skip: !render && "HISSAN_RENDER not set" }, async () => {
  const { context, page, errors } = await openSheet();
  const cases = [
    [{ pattern: "dd*d", count: 12, seed: "42" }, ["--random", "dd*d", "--count", "12", "--seed", "42"]],
    [{ pattern: "ddd/d", count: 10, seed: "7", remainder: 1 }, ["--random", "ddd/d", "--count", "10", "--seed", "7", "--remainder", "yes"]],
    [{ pattern: "ddd-ddd", count: 20, seed: "123456789012", carry: 2, unique: true, remainder: 0 },
      ["--random", "ddd-ddd", "--count", "20", "--seed", "123456789012", "--carry", "no", "--unique"]],
    [{ pattern: "ddd/d", count: 8, seed: "3", zeroInQuotient: true, noTrivial: true, quotientDigits: 3, carry: 0, unique: false },
      ["--random", "ddd/d", "--count", "8", "--seed", "3", "--zero-in-quotient", "--no-trivial", "--quotient-digits", "3"]],
    [{ pattern: "d.d*d.d", count: 12, seed: "18446744073709551615", zeroInQuotient: false, noTrivial: false, quotientDigits: 0, decimals: 1 },
      ["--random", "d.d*d.d", "--count", "12", "--seed", "18446744073709551615", "--decimals", "1"]],
  ];
  for (const [fields, args] of cases) {
    assert.equal(await choose(page, fields), "ready", JSON.stringify(fields));
    const shown = await page.locator("#sheet-list li").allTextContents();
    assert.deepEqual(shown, native(args), args.join(" "));
  }
  assert.deepEqual(errors, []);
  await context.close();
});

test("a choice no problem meets shows the refusal naming it", async () => {
  const { context, page } = await openSheet();
  const cases = [
    [{ pattern: "dd/d", carry: 1 }, "繰り上がり・繰り下がり「あり」は、「dd/d」の計算には選べません。"],
    [{ pattern: "d0+d", carry: 1 }, "「d0+d」には、繰り上がり・繰り下がり「あり」に合う問題がありません。"],
    [{ pattern: "dd*d", carry: 0, remainder: 2 }, "あまり「なし」は、「dd*d」の計算には選べません。"],
    [{ pattern: "1d+1", remainder: 0, count: 20, unique: true }, "「1d+1」で選んだ条件に合う問題は10問しかありません（20問を出すには足りません）。"],
    [{ pattern: "dx+d", unique: false, count: 12 }, "「dx+d」は問題の形になりません"],
    [{ pattern: "dd+dd", seed: "-1" }, "シードは 0 から 18446744073709551615 までの整数です。"],
  ];
  for (const [fields, message] of cases) {
    assert.equal(await choose(page, { seed: "1", ...fields }), "refused", JSON.stringify(fields));
    assert.ok((await page.locator("#sheet-message").textContent()).startsWith(message), await page.locator("#sheet-message").textContent());
    assert.equal(await page.locator(".sheet-page").count(), 0, "no pages of a refused sheet");
    assert.ok(await page.getByRole("button", { name: "印刷・PDF に保存" }).isDisabled(), "nothing to print");
  }
  // A choice that can be met again brings the sheet back.
  assert.equal(await choose(page, { pattern: "dd+dd", carry: 1, seed: "5" }), "ready");
  assert.equal(await page.locator("#sheet-message").textContent(), "");
  assert.ok(await page.getByRole("button", { name: "印刷・PDF に保存" }).isEnabled());
  await context.close();
});

test("the print layout is A4 pages: problems, then answers", async () => {
  const { context, page } = await openSheet();
  assert.equal(await choose(page, { pattern: "ddd*dd", count: 14, cols: 2, rows: 3, seed: "9", carry: 0, remainder: 0, unique: false, answers: true, squares: true, title: "かけ算" }), "ready");
  const first = await page.locator("#sheet-list li").first().textContent();
  const pdf = join(dir, "sheet.pdf");
  writeFileSync(pdf, await page.pdf({ preferCSSPageSize: true, printBackground: true }));
  const info = execFileSync("pdfinfo", [pdf], { encoding: "utf8" });
  // 14 problems 6 a page: 3 problem pages and 3 answer pages.
  assert.match(info, /^Pages:\s+6$/m);
  const [, w, h] = /^Page size:\s+([\d.]+) x ([\d.]+) pts/m.exec(info);
  assert.ok(Math.abs(w - 595.3) < 1 && Math.abs(h - 841.9) < 1, `page size ${w} x ${h}`);
  // The board writes full-width digits: compared as their plain forms.
  const text = (p) =>
    execFileSync("pdftotext", ["-f", p, "-l", p, "-layout", pdf, "-"], { encoding: "utf8" }).normalize("NFKC");
  const [expression, answer] = first.split("=");
  const firstPage = text("1").replace(/\s/g, "");
  assert.ok(firstPage.includes("かけ算") && firstPage.includes("名前") && firstPage.includes("/6"), firstPage);
  assert.ok(firstPage.includes(expression.replace("*", "×") + "="), `${expression} on page 1`);
  assert.ok(!firstPage.includes(answer), "no answers on the problem page");
  const answers = text("4").replace(/\s/g, "");
  assert.ok(answers.includes("答え") && !answers.includes("名前"), answers);
  assert.ok(answers.includes(answer), `${answer} on the first answer page`);
  await context.close();
});
