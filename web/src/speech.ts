// Reading aloud with the browser's speech synthesis, in a Japanese voice.
import type { Session } from "../gen/hissan_board.mjs";

export class Speech {
  private told = false;

  constructor(
    private readonly session: Session,
    private readonly notice: (text: string) => Promise<void>,
  ) {
    // Chromium loads its voices after the page; ask early.
    if ("speechSynthesis" in window) speechSynthesis.getVoices();
  }

  private voice(): SpeechSynthesisVoice | undefined {
    const voices = speechSynthesis.getVoices();
    return voices.find((v) => v.lang === "ja-JP") ?? voices.find((v) => v.lang.startsWith("ja"));
  }

  // The voices, once the browser has loaded them (Chromium loads them late).
  private async voices(): Promise<void> {
    if (speechSynthesis.getVoices().length > 0) return;
    await new Promise<void>((resolve) => {
      speechSynthesis.addEventListener("voiceschanged", () => resolve(), { once: true });
      setTimeout(resolve, 1500);
    });
  }

  // Says a reading text (as the session's speak events give it).
  async say(reading: string): Promise<void> {
    if (!reading) return;
    if (!("speechSynthesis" in window)) return this.noVoice();
    await this.voices();
    const voice = this.voice();
    if (!voice) return this.noVoice();
    const u = new SpeechSynthesisUtterance(reading);
    u.lang = "ja-JP";
    u.voice = voice;
    const p = JSON.parse(this.session.pacing()) as { hayasa: number; ookisa: number };
    u.rate = Math.pow(2, (p.hayasa - 5) / 5);
    u.volume = Math.max(0, Math.min(1, p.ookisa / 50));
    speechSynthesis.speak(u);
  }

  // Said once: without a Japanese voice the page stays silent.
  private noVoice(): void {
    if (this.told) return;
    this.told = true;
    void this.notice(
      "この端末には日本語の読み上げの声がありません。読み上げはできませんが、計算はそのまま使えます。",
    );
  }
}
