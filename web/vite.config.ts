import { defineConfig } from "vite";

// Relative paths: the page works from any folder of any web server.
export default defineConfig({
  base: "./",
  build: {
    target: "es2020",
    assetsInlineLimit: 0,
    chunkSizeWarningLimit: 400,
  },
});
