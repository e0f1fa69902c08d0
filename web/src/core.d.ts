// The board module built by em++ from wasm/ (see wasm/bindings.cpp).
declare module "*/hissan_board.mjs" {
  export interface Session {
    key(key: number, mods: number, drawing: boolean): string;
    whileDrawing(key: number, mods: number): string;
    keypad(): string;
    press(button: number): string;
    ops(from: number): string;
    opsPacked(from: number): { numbers: Int32Array; texts: string };
    opCount(): number;
    runStart(): number;
    status(): string;
    conditions(): string;
    setCondition(name: string, value: number): string;
    stepEscaped(): string;
    iniExport(): Uint8Array;
    iniImport(bytes: Uint8Array): string;
    loadStories(bytes: Uint8Array): string;
    wordProblem(answerMode: number): string;
    cursor(): string;
    blink(): boolean;
    pacing(): string;
    readAloud(): string;
    sheet(pattern: string, count: number, seed: string, carry: number, remainder: number,
      quotientDigits: number, zeroInQuotient: boolean, noTrivial: boolean, decimals: number, unique: boolean): string;
    delete(): void;
  }
  export interface BoardModule {
    Session: {
      new (): Session;
      domKey(code: string, key: string): number;
      fontPixels(size: number): number;
      cellAscent(size: number): number;
      scheme(index: number): string;
      speechText(reading: string): string;
    };
  }
  const createBoard: (options?: { locateFile?: (path: string) => string }) => Promise<BoardModule>;
  export default createBoard;
}
