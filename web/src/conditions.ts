// The conditions panel: every condition the session lists, kept in
// localStorage, with import and export of the desktop's pkt_m41.ini.
import type { Session } from "../gen/hissan_board.mjs";

interface Condition {
  name: string;
  label: string;
  group: string;
  options: string[];
  value: number;
  default: number;
  lo: number;
  hi: number;
  choice: boolean;
  stored: boolean;
}

const STORAGE_KEY = "hissan.conditions";

export class ConditionsPanel {
  private readonly root = document.getElementById("conditions") as HTMLElement;
  private readonly form = document.getElementById("conditions-form") as HTMLFormElement;
  private readonly controls = new Map<string, HTMLInputElement | HTMLSelectElement>();

  constructor(
    private readonly session: Session,
    private readonly apply: (report: string) => void,
    private readonly message: (text: string, title: string) => Promise<void>,
  ) {
    this.build();
    (document.getElementById("conditions-close") as HTMLElement).addEventListener("click", () => this.toggle(false));
    const file = document.getElementById("ini-import") as HTMLInputElement;
    file.addEventListener("change", async () => {
      const f = file.files?.[0];
      file.value = "";
      if (!f) return;
      if (f.size > 1024 * 1024) {
        await this.message("このファイルは大きすぎて、設定ファイルではありません。", "お知らせ");
        return;
      }
      this.apply(this.session.iniImport(new Uint8Array(await f.arrayBuffer())));
    });
    (document.getElementById("ini-export") as HTMLElement).addEventListener("click", () => {
      const bytes = this.session.iniExport().slice();
      const a = document.createElement("a");
      a.href = URL.createObjectURL(new Blob([bytes], { type: "text/plain" }));
      a.download = "pkt_m41.ini";
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 1000);
    });
    (document.getElementById("conditions-reset") as HTMLElement).addEventListener("click", () => {
      for (const c of this.list()) if (c.value !== c.default) this.apply(this.session.setCondition(c.name, c.default));
    });
  }

  private list(): Condition[] {
    return JSON.parse(this.session.conditions()) as Condition[];
  }

  private build(): void {
    const groups = new Map<string, HTMLFieldSetElement>();
    for (const c of this.list()) {
      if (!c.label) continue;
      let fs = groups.get(c.group);
      if (!fs) {
        fs = document.createElement("fieldset");
        const legend = document.createElement("legend");
        legend.textContent = c.group;
        fs.append(legend);
        groups.set(c.group, fs);
        this.form.append(fs);
      }
      const label = document.createElement("label");
      let control: HTMLInputElement | HTMLSelectElement;
      if (c.options.length > 0) {
        const sel = document.createElement("select");
        c.options.forEach((text, i) => sel.add(new Option(text, String(c.lo + i))));
        control = sel;
        label.append(c.label, sel);
      } else if (c.choice && c.lo === 0 && c.hi === 1) {
        const box = document.createElement("input");
        box.type = "checkbox";
        control = box;
        label.className = "check";
        label.append(box, c.label);
      } else {
        const num = document.createElement("input");
        num.type = "number";
        num.inputMode = "numeric";
        if (c.lo > -1e9) num.min = String(c.lo);
        if (c.hi < 1e9) num.max = String(c.hi);
        control = num;
        label.append(c.label, num);
      }
      control.name = c.name;
      control.addEventListener("change", () => {
        const v = control instanceof HTMLInputElement && control.type === "checkbox" ? (control.checked ? 1 : 0) : Number(control.value);
        if (Number.isFinite(v)) this.apply(this.session.setCondition(c.name, Math.trunc(v)));
        else this.refresh();
      });
      this.controls.set(c.name, control);
      fs.append(label);
    }
    this.refresh(false);
  }

  // The controls from the session's conditions, and the kept copy.
  refresh(keep = true): void {
    const all = this.list();
    for (const c of all) {
      const control = this.controls.get(c.name);
      if (!control) continue;
      if (control instanceof HTMLInputElement && control.type === "checkbox") control.checked = c.value === 1;
      else control.value = String(c.value);
    }
    if (!keep) return;
    try {
      const kept: Record<string, number> = {};
      for (const c of all) kept[c.name] = c.value;
      localStorage.setItem(STORAGE_KEY, JSON.stringify(kept));
    } catch {
      /* private browsing: nothing is kept */
    }
  }

  // The kept conditions, set again at start (the session mends bad values).
  restore(): void {
    let kept: Record<string, unknown> = {};
    try {
      kept = JSON.parse(localStorage.getItem(STORAGE_KEY) ?? "{}") ?? {};
    } catch {
      kept = {};
    }
    for (const c of this.list()) {
      const v = kept[c.name];
      if (typeof v === "number" && Number.isInteger(v) && v !== c.value) this.session.setCondition(c.name, v);
    }
    this.refresh();
  }

  setEnabled(on: boolean): void {
    this.form.inert = !on;
  }

  toggle(show?: boolean): void {
    const on = show ?? this.root.hidden;
    this.root.hidden = !on;
    (document.getElementById("btn-conditions") as HTMLElement).setAttribute("aria-expanded", String(on));
    if (on) this.controls.values().next().value?.focus();
  }
}
