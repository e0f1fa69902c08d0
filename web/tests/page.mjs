// For a browser test file: the built page served and Debian's Chromium
// started before its tests, both stopped after them. `browser` and `server`
// of the returned object are there once the tests run.
import { before, after } from "node:test";
import { chromium } from "playwright-core";
import { serve, chromiumArgs, chromiumPath } from "./serve.mjs";

export function pageUnderTest(dist) {
  const env = {};
  before(async () => {
    env.server = await serve(dist);
    env.browser = await chromium.launch({ executablePath: chromiumPath, args: chromiumArgs });
  });
  after(async () => {
    await env.browser?.close();
    env.server?.close();
  });
  return env;
}
